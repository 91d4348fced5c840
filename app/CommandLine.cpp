#include "app/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "app/AppSettings.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The first blank-separated word of `text` from `from`; `from` moves past it.
CKSTString NextWord(const CKSTString& text, int& from)
{
    const int length = text.GetLength();
    const char* s = text.c_str();
    while (from < length && IsBlank(s[from])) {
        ++from;
    }
    const int start = from;
    while (from < length && !IsBlank(s[from])) {
        ++from;
    }
    return text.Mid(start, from - start);
}

CKSTString Trimmed(CKSTString text)
{
    text.Trim();
    return text;
}

CKSTString FileValue(const CKSTString& value)
{
    CKSTString path = Trimmed(value);
    path.Remove('"');
    return path;
}

double ReadDouble(const CKSTString& text)
{
    const CKSTString trimmed = Trimmed(text);
    double value = 0.0;
    const char* begin = trimmed.c_str();
    const char* end = begin + trimmed.GetLength();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    std::from_chars(begin, end, value);
    return value;
}

// Address alone (buffer mode FULL) or address:seconds (PART, or NONE for zero seconds).
void ReadConnectValue(const CKSTString& value, KstCommandLineRequest& request)
{
    const int colon = value.Find(':');
    if (colon < 0) {
        int from = 0;
        request.address = NextWord(value, from);
        request.bufferMode = 1;
        request.backView = 0.0;
        return;
    }
    request.address = Trimmed(value.Left(colon));
    const double seconds = ReadDouble(value.Mid(colon + 1));
    if (std::fabs(seconds) >= 1e-13) {
        request.bufferMode = 2;
        request.backView = -seconds;
    } else {
        request.bufferMode = 0;
        request.backView = 0.0;
    }
}

void ReadDataSourceValue(const CKSTString& value, KstCommandLineRequest& request)
{
    std::vector<CKSTString> fields;
    int start = 0;
    for (;;) {
        const int colon = value.Find(':', start);
        if (colon < 0) {
            fields.push_back(Trimmed(value.Mid(start)));
            break;
        }
        fields.push_back(Trimmed(value.Mid(start, colon - start)));
        start = colon + 1;
    }
    request.bufferTypeText = fields[0];
    if (fields.size() > 1) {
        request.bufferIndex = static_cast<int16_t>(fields[1].ToInt64());
    }
    if (fields.size() > 2) {
        request.readModeText = fields[2];
    }
}

}  // namespace

CKSTString KstUpperCase(const CKSTString& text)
{
    CKSTString upper = text;
    char* bytes = upper.GetBuffer();
    for (int i = 0; i < upper.GetLength(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 'a' && c <= 'z') {
            bytes[i] = static_cast<char>(c - 'a' + 'A');
        } else if (c == 0xE4 || c == 0xF6 || c == 0xFC) {  // the umlauts a, o, u
            bytes[i] = static_cast<char>(c - 0x20);
        }
    }
    return upper;
}

KstCommandLineRequest KstParseCommandLineKeywords(const CKSTString& commandLine)
{
    KstCommandLineRequest request;
    int position = 0;
    const int length = commandLine.GetLength();
    while (position < length) {
        while (position < length && commandLine[position] == '/') {
            ++position;
        }
        const int start = position;
        while (position < length && commandLine[position] != '/') {
            ++position;
        }
        if (position == start) {
            continue;
        }
        const CKSTString token = commandLine.Mid(start, position - start);
        const CKSTString upper = KstUpperCase(token);
        int valueStart = 0;
        const CKSTString keyword = NextWord(upper, valueStart);
        const CKSTString value = upper.Mid(valueStart);

        if (keyword == "ONLCTRL" || keyword == "ONLQVANE") {
            request.sourceKind =
                keyword == "ONLCTRL" ? KST_SOURCE_CONTROLLER_PROBE : KST_SOURCE_NODE;
            ReadConnectValue(value, request);
        } else if (keyword == "DATASOURCE") {
            ReadDataSourceValue(value, request);
        } else if (keyword == "NOREG") {
            // The registry switch was applied before; the word after it is dropped.
        } else if (keyword == "EM1") {
            request.pipeSource = true;
        } else if (keyword == "VEMTA") {
            request.serialBusSource = true;
        } else if (keyword == "SETTINGS" || keyword == "SETTINGSALL") {
            request.settingsFiles.push_back({keyword == "SETTINGSALL", FileValue(value)});
        } else if (keyword == "PWIN") {
            request.processSettingsPath = FileValue(value);
        } else {
            request.collectedText += token;
            request.collectedText += ' ';
        }
    }
    return request;
}

bool KstMapDataSource(const KstCommandLineRequest& request, int32_t& bufferType,
                      int32_t& bufferIndex, int32_t& readMode)
{
    const CKSTString& type = request.bufferTypeText;
    if (type == "CIRCLEBUFFER") {
        bufferType = 0;
        readMode = 0;
    } else if (type == "LOGGER" || type == "POST_PROCESS_BUFFER") {
        bufferType = type == "LOGGER" ? 1 : 2;
        readMode = request.readModeText == "NONERASING" ? 1 : 0;
    } else {
        return false;
    }
    bufferIndex = request.bufferIndex;
    return true;
}

std::vector<CKSTString> KstSplitFileNames(const CKSTString& text)
{
    std::vector<CKSTString> names;
    const int length = text.GetLength();
    int i = 0;
    for (;;) {
        while (i < length && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' ||
                              text[i] == '\n')) {
            ++i;
        }
        if (i >= length) {
            break;
        }
        const char end = text[i] == '"' ? '"' : ' ';
        if (end == '"') {
            ++i;
        }
        const int start = i;
        while (i < length && text[i] != end) {
            ++i;
        }
        const CKSTString name = text.Mid(start, i - start);
        if (i < length) {
            ++i;  // the closing quote or blank
        }
        if (!name.IsEmpty()) {
            names.push_back(name);
        }
    }
    return names;
}

void KstSortFileNames(std::vector<CKSTString>& names)
{
    // CKSTString compares bytes as signed characters, a proper prefix first.
    std::stable_sort(names.begin(), names.end());
}

void KstPushSettingsFile(std::vector<CKSTString>& files, const CKSTString& path)
{
    files.insert(files.begin(), path);
    if (static_cast<int>(files.size()) > kKstMaxSettingsFiles) {
        files.resize(kKstMaxSettingsFiles);
    }
}

void KstPromoteRecentSource(std::vector<CKSTString>& sources, const CKSTString& text)
{
    std::vector<CKSTString> promoted{text};
    for (const CKSTString& entry : sources) {
        if (!(entry == text)) {
            promoted.push_back(entry);
        }
    }
    sources = std::move(promoted);
}
