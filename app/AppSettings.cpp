#include "app/AppSettings.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace {

const KstAssociation kAssociations[kKstAssociationCount] = {
    {"qld", "QLD"}, {"zrw", "ZRW"}, {"dat", "DAT"}, {"raw", "RAW"}, {"ddf", "DDF"}, {"ddb", "DDB"},
    {"mat", "MAT"}, {"fig", "FIG"}, {"wav", "WAV"}, {"dbl", "DBL"}, {"flt", "FLT"}, {"bbl", "BBL"},
    {"asc", "ASC"}, {"csv", "CSV"}, {"log", "LOG"}, {"txt", "TXT"},
};

const KstTextChoice kLanguageTexts[] = {{1, "English"}, {0, "Deutsch"}};

const CKSTHeaderInfoList& NoValues()
{
    static const CKSTHeaderInfoList none;
    return none;
}

const KstSettingsEnvironment& NoEnvironment()
{
    static const KstSettingsEnvironment none;
    return none;
}

CKSTString Numbered(const char* name, int n)
{
    return CKSTString(name) + CKSTString::FormatInt(n);
}

int32_t ChoiceValue(const CKSTString& text, const KstTextChoice* choices, size_t count)
{
    const KstTextChoice* end = choices + count;
    const KstTextChoice* found = std::find_if(
        choices, end, [&text](const KstTextChoice& choice) { return text == choice.text; });
    return found != end ? found->value : choices[0].value;
}

const char* ChoiceText(int32_t value, const KstTextChoice* choices, size_t count)
{
    const KstTextChoice* end = choices + count;
    const KstTextChoice* found = std::find_if(
        choices, end, [value](const KstTextChoice& choice) { return value == choice.value; });
    return found != end ? found->text : choices[0].text;
}

// The reader of the descriptions in AppSettings.h.
class TreeReader {
public:
    explicit TreeReader(const CKSTHeaderInfoList& tree,
                        const KstSettingsEnvironment& environment = NoEnvironment())
        : m_tree(tree), m_environment(environment)
    {
    }

    void Flag(const char* name, uint8_t& field, uint8_t fallback) const
    {
        bool value = false;
        m_tree.GetBoolOr(name, value, fallback != 0);
        field = value ? 1 : 0;
    }
    void Long(const char* name, int32_t& field, int32_t fallback) const
    {
        m_tree.GetLongOr(name, field, fallback);
    }
    void Double(const char* name, double& field, double fallback) const
    {
        m_tree.GetDoubleOr(name, field, fallback);
    }
    void Text(const char* name, CKSTString& field, const char* fallback) const
    {
        m_tree.GetStringOr(name, field, fallback);
    }
    void KeptText(const char* name, CKSTString& field) const { m_tree.GetString(name, field); }
    void HiddenText(const char* name, CKSTString& field, const char* fallback) const
    {
        if (m_tree.GetString(name, field, true) < 0) {
            field = fallback;
        }
    }
    void Keyword(const char* name, int32_t& field, const CKSTKeywordMap& keywords,
                 const char* fallback) const
    {
        CKSTString text;
        m_tree.GetStringOr(name, text, fallback);
        field = keywords.ValueOf(text);
    }
    void Language(const char* name, int32_t& field) const
    {
        CKSTString text;
        if (m_tree.GetString(name, text) >= 0) {
            field = ChoiceValue(text, kLanguageTexts, std::size(kLanguageTexts));
        } else {
            field = m_environment.userIsEnglish ? 1 : 0;
        }
    }
    void List(const char* prefix, std::vector<CKSTString>& list, int count,
              KstListEntries entries) const
    {
        const bool filesOnly = entries == KstListEntries::ExistingFiles;
        list.clear();
        for (int i = 1; i <= count; ++i) {
            CKSTString text;
            if (m_tree.GetString(Numbered(prefix, i), text) < 0 || (filesOnly && text.IsEmpty()) ||
                std::find(list.begin(), list.end(), text) != list.end()) {
                continue;
            }
            if (!filesOnly ||
                (m_environment.isExistingFile && m_environment.isExistingFile(text))) {
                list.push_back(text);
            }
        }
    }
    void OffAtLoad(const char*, uint8_t& field) const { field = 0; }

    template <size_t N>
    void Choice(const char* name, int32_t& field, int32_t fallback,
                const KstTextChoice (&choices)[N], const char* olderName = nullptr) const
    {
        CKSTString text;
        if (m_tree.GetString(name, text) >= 0 ||
            (olderName && m_tree.GetString(olderName, text) >= 0)) {
            field = ChoiceValue(text, choices, N);
        } else {
            field = fallback;
        }
    }
    void NumberText(const char* name, int16_t& field, int16_t fallback,
                    KstOlderFlag older = {nullptr, 0}) const
    {
        CKSTString text;
        if (m_tree.GetString(name, text) >= 0) {
            field = static_cast<int16_t>(text.ToInt64());
        } else if (older.name && m_tree.GetString(older.name, text) >= 0) {
            field = text.ToInt64() != 0 ? older.whenSet : 0;
        } else {
            field = fallback;
        }
    }
    void FlagText(const char* name, uint8_t& field, uint8_t fallback) const
    {
        CKSTString text;
        field = m_tree.GetString(name, text) >= 0 ? (text.ToInt64() != 0 ? 1 : 0) : fallback;
    }
    void CountText(const char* switchName, const char* countName, int32_t& field) const
    {
        CKSTString on;
        CKSTString count;
        field = m_tree.GetString(switchName, on) >= 0 && on.ToInt64() != 0 &&
                        m_tree.GetString(countName, count) >= 0
                    ? static_cast<int32_t>(count.ToInt64())
                    : 0;
    }
    void AssociationFlag(const char* name, uint8_t& field) const
    {
        CKSTString text;
        if (m_tree.GetString(name, text) >= 0) {
            field = text == "1" ? 1 : 0;
        }
    }

private:
    const CKSTHeaderInfoList& m_tree;
    const KstSettingsEnvironment& m_environment;
};

// Over a settings key that could not be opened the general values keep what the record holds,
// while the lists are read all the same (from the empty tree) and the flags that are off at load
// are off. A kind of value not listed here does not compile rather than being read.
class KeptValuesReader {
public:
    explicit KeptValuesReader(const TreeReader& reader) : m_reader(reader) {}

    void Flag(const char*, uint8_t&, uint8_t) const {}
    void Long(const char*, int32_t&, int32_t) const {}
    void Double(const char*, double&, double) const {}
    void Text(const char*, CKSTString&, const char*) const {}
    void KeptText(const char*, CKSTString&) const {}
    void HiddenText(const char*, CKSTString&, const char*) const {}
    void Keyword(const char*, int32_t&, const CKSTKeywordMap&, const char*) const {}
    void Language(const char*, int32_t&) const {}
    void List(const char* prefix, std::vector<CKSTString>& list, int count,
              KstListEntries entries) const
    {
        m_reader.List(prefix, list, count, entries);
    }
    void OffAtLoad(const char* name, uint8_t& field) const { m_reader.OffAtLoad(name, field); }

private:
    const TreeReader& m_reader;
};

class TreeWriter {
public:
    explicit TreeWriter(CKSTHeaderInfoList& tree) : m_tree(tree) {}

    void Flag(const char* name, uint8_t field, uint8_t) { m_tree.SetBool(name, field != 0); }
    void Long(const char* name, int32_t field, int32_t) { m_tree.SetLong(name, field); }
    void Double(const char* name, double field, double) { m_tree.SetDouble(name, field); }
    void Text(const char* name, const CKSTString& field, const char*)
    {
        m_tree.SetString(name, field);
    }
    void KeptText(const char* name, const CKSTString& field) { m_tree.SetString(name, field); }
    void HiddenText(const char* name, const CKSTString& field, const char*)
    {
        m_tree.SetString(name, field, true);
    }
    void Keyword(const char* name, int32_t field, const CKSTKeywordMap& keywords, const char*)
    {
        m_tree.SetString(name, keywords.NameOf(field));
    }
    void Language(const char* name, int32_t field)
    {
        m_tree.SetString(name, ChoiceText(field, kLanguageTexts, std::size(kLanguageTexts)));
    }
    void List(const char* prefix, const std::vector<CKSTString>& list, int count, KstListEntries)
    {
        for (int i = 0; i < count; ++i) {
            const bool present = i < static_cast<int>(list.size());
            m_tree.SetString(Numbered(prefix, i + 1),
                             present ? list[static_cast<size_t>(i)] : CKSTString());
        }
    }
    void OffAtLoad(const char* name, uint8_t field) { m_tree.SetBool(name, field != 0); }

    template <size_t N>
    void Choice(const char* name, int32_t field, int32_t, const KstTextChoice (&choices)[N],
                const char* = nullptr)
    {
        m_tree.SetString(name, ChoiceText(field, choices, N));
    }
    void NumberText(const char* name, int16_t field, int16_t, KstOlderFlag = {nullptr, 0})
    {
        m_tree.SetString(name, CKSTString::FormatInt(field));
    }
    void FlagText(const char* name, uint8_t field, uint8_t)
    {
        m_tree.SetString(name, field != 0 ? "1" : "0");
    }
    void CountText(const char* switchName, const char* countName, int32_t field)
    {
        m_tree.SetString(switchName, field != 0 ? "1" : "0");
        m_tree.SetString(countName, CKSTString::FormatInt(field));
    }
    void AssociationFlag(const char* name, uint8_t field)
    {
        m_tree.SetString(name, field != 0 ? "1" : "0");
    }

private:
    CKSTHeaderInfoList& m_tree;
};

}  // namespace

const CKSTKeywordMap& KstBufferTypeKeywords()
{
    static const CKSTKeywordMap map("CIRCLEBUFFER", 0, "LOGGER", 1, "POST_PROCESS_BUFFER", 2,
                                    nullptr);
    return map;
}

const CKSTKeywordMap& KstBufferModeKeywords()
{
    static const CKSTKeywordMap map("NONE", 0, "FULL", 1, "PART", 2, nullptr);
    return map;
}

const CKSTKeywordMap& KstReadModeKeywords()
{
    static const CKSTKeywordMap map("ERASING", 0, "NONERASING", 1, nullptr);
    return map;
}

const CKSTKeywordMap& KstFftPaddingKeywords()
{
    static const CKSTKeywordMap map("AUTO", 0, "CUT", 1, "ZEROS", 2, "IPOL", 3, nullptr);
    return map;
}

const CKSTKeywordMap& KstFftWindowKeywords()
{
    static const CKSTKeywordMap map("RECTANGLE", 0, "HANNING", 1, "HAMMING", 2, "BLACKM_HARRIS",
                                    3, nullptr);
    return map;
}

const CKSTKeywordMap& KstReductionTypeKeywords()
{
    static const CKSTKeywordMap map("SIMPLE", 0, "MEAN", 1, "MINIMUM", 2, "MAXIMUM", 3, nullptr);
    return map;
}

const KstAssociation& KstAssociationAt(int index)
{
    return kAssociations[index];
}

void KstLoadSettings(const KstSettingsTrees& trees, const KstSettingsEnvironment& environment,
                     KstAppSettings& s)
{
    const bool registry = environment.useRegistry;
    // Without the registry every value counts as absent, so the stored defaults apply.
    const CKSTHeaderInfoList& tree = registry ? trees.settings : NoValues();
    const TreeReader reader(tree, environment);
    if (registry && !trees.settingsOpened) {
        const KeptValuesReader keeping(reader);
        KstVisitGeneralSettings(keeping, s);
    } else {
        KstVisitGeneralSettings(reader, s);
    }
    KstVisitSettingsFileChoices(reader, s);

    KstLoadAsciiOptions(trees.ascii, registry && trees.asciiOpened, s.textFormat);
    KstLoadFftOptions(trees.fft, registry && trees.fftOpened, s.fft);
    if (registry && trees.associationsOpened) {
        KstLoadAssociationFlags(trees.associations, s.associations);
    }
}

void KstSaveSettings(const KstAppSettings& s, KstSettingsTrees& trees)
{
    trees.settings.Clear();
    TreeWriter writer(trees.settings);
    KstVisitGeneralSettings(writer, s);
    KstVisitSettingsFileChoices(writer, s);

    KstSaveAsciiOptions(s.textFormat, trees.ascii);
    KstSaveFftOptions(s.fft, trees.fft);
}

void KstLoadAsciiOptions(const CKSTHeaderInfoList& tree, bool present, CKSTTextFormat& format)
{
    // The fields the key does not hold start from the record's own initial values.
    format = CKSTTextFormat();
    const TreeReader reader(present ? tree : NoValues());
    KstVisitAsciiOptions(reader, format);
}

void KstSaveAsciiOptions(const CKSTTextFormat& format, CKSTHeaderInfoList& tree)
{
    tree.Clear();
    TreeWriter writer(tree);
    KstVisitAsciiOptions(writer, format);
}

void KstLoadFftOptions(const CKSTHeaderInfoList& tree, bool present, KstFftOptions& fft)
{
    const TreeReader reader(present ? tree : NoValues());
    KstVisitFftOptions(reader, fft);
}

void KstSaveFftOptions(const KstFftOptions& fft, CKSTHeaderInfoList& tree)
{
    tree.Clear();
    TreeWriter writer(tree);
    KstVisitFftOptions(writer, fft);
}

void KstLoadAssociationFlags(const CKSTHeaderInfoList& tree,
                             uint8_t (&flags)[kKstAssociationCount])
{
    const TreeReader reader(tree);
    KstVisitAssociationFlags(reader, flags);
}

void KstSaveAssociationFlags(const uint8_t (&flags)[kKstAssociationCount],
                             CKSTHeaderInfoList& tree)
{
    tree.Clear();
    TreeWriter writer(tree);
    KstVisitAssociationFlags(writer, flags);
}

bool KstIsSplashDue(const KstDate& stored, const KstDate& today)
{
    return stored.day != today.day || stored.month != today.month || stored.year != today.year;
}
