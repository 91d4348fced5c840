#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/ErrorCodes.h"
#include "foundation/HeaderInfoList.h"
#include "foundation/win/RegistryTree.h"

namespace {

const char kTestKey[] = "Software\\KstTest\\RegistryTree";
const std::string kSep(1, kKstTreeSeparator);

std::string Bytes(const CKSTString& s)
{
    return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}

CKSTString FromBytes(const std::string& bytes)
{
    CKSTString s;
    s.Assign(bytes.data(), static_cast<int>(bytes.size()));
    return s;
}

struct RawValue {
    bool found = false;
    DWORD type = 0;
    std::string data;
};

// Reads a value with the plain registry calls, independent of the code under test.
RawValue ReadRaw(HKEY root, const std::string& key, const char* name)
{
    RawValue raw;
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) {
        return raw;
    }
    DWORD size = 0;
    if (RegQueryValueExA(h, name, nullptr, &raw.type, nullptr, &size) == ERROR_SUCCESS) {
        raw.data.resize(size);
        if (RegQueryValueExA(h, name, nullptr, &raw.type, reinterpret_cast<BYTE*>(&raw.data[0]),
                             &size) == ERROR_SUCCESS) {
            raw.found = true;
            raw.data.resize(size);
        }
    }
    RegCloseKey(h);
    return raw;
}

void WriteRaw(HKEY root, const std::string& key, const char* name, DWORD type,
              const std::string& data)
{
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &h, nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(h, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())));
    RegCloseKey(h);
}

// Gives a key an empty access list, so that nobody can open it for reading or writing.
void LockKey(const std::string& key)
{
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &h, nullptr));
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    ACL acl;
    InitializeAcl(&acl, sizeof acl, ACL_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE);
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, &sd));
    RegCloseKey(h);
}

void UnlockKey(const std::string& key)
{
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, WRITE_DAC, &h) == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR sd;
        InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
        RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, &sd);
        RegCloseKey(h);
    }
}

class RegistryTreeTest : public ::testing::Test {
protected:
    void SetUp() override { RemoveTestKey(); }
    void TearDown() override { RemoveTestKey(); }

    void RemoveTestKey()
    {
        UnlockKey(std::string(kTestKey) + "\\Locked");
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KstTest");
    }

    static std::string Key(const std::string& subkey = std::string())
    {
        return subkey.empty() ? std::string(kTestKey) : std::string(kTestKey) + "\\" + subkey;
    }
};

// A hidden text whose stored form has zero bytes inside and at its end.
std::string TextStoredWithZeroBytes(const char* name)
{
    const size_t length = 12;
    CKSTHeaderInfoItem probe(name, FromBytes(std::string(length, '\0')), true);
    probe.Scramble(KST_SCRAMBLE_RANMAR, true);
    const std::string shifts = Bytes(probe.m_text);
    std::string text = "hidden text!";
    for (size_t i : {size_t(3), length - 1}) {
        text[i] = static_cast<char>(-shifts[i]);
    }
    return text;
}

TEST_F(RegistryTreeTest, SavedTreeReadsBackRawAndThroughTheLoader)
{
    const std::string hiddenText = TextStoredWithZeroBytes("Secret");
    const std::string longText(3000, 'L');
    CKSTHeaderInfoList list;
    list.SetLong("A", 5);
    list.SetBool(FromBytes("S" + kSep + "B"), true);
    list.SetString(FromBytes("S" + kSep + "T" + kSep + "C"), "x");
    list.SetDouble("D", 0.1);
    list.SetShort("N", -3);
    list.SetString("Empty", "");
    list.SetString("Secret", FromBytes(hiddenText), true);
    list.SetString(FromBytes("S" + kSep + "Long"), FromBytes(longText));
    list.SetInt64("I", 1LL << 40);
    CKSTHeaderInfoItem stamp;
    stamp.m_name = "When";
    stamp.SetTime(CKSTTimeStamp(2007, 3, 4, 5, 6, 7.0));
    list.Add(stamp);
    WriteRaw(HKEY_CURRENT_USER, Key(), "Foreign", REG_SZ, std::string("stays", 6));

    ASSERT_EQ(KST_OK, RegSaveTree(HKEY_CURRENT_USER, kTestKey, list));

    struct Expected {
        std::string key;
        const char* name;
        DWORD type;
        std::string data;
    };
    CKSTHeaderInfoItem stored("Secret", FromBytes(hiddenText), true);
    stored.Scramble(KST_SCRAMBLE_RANMAR, true);
    const DWORD five = 5;
    const DWORD minusThree = static_cast<DWORD>(-3);
    const Expected expected[] = {
        {Key(), "A", REG_DWORD, std::string(reinterpret_cast<const char*>(&five), 4)},
        {Key("S"), "B", REG_BINARY, std::string(1, '\x01')},
        {Key("S\\T"), "C", REG_SZ, std::string("x", 2)},
        {Key(), "D", REG_SZ, std::string("0.1", 4)},
        {Key(), "N", REG_DWORD, std::string(reinterpret_cast<const char*>(&minusThree), 4)},
        {Key(), "Empty", REG_SZ, std::string(1, '\0')},
        {Key(), "Secret", REG_SZ, std::string(1, '\0') + Bytes(stored.m_text) + '\0'},
        {Key("S"), "Long", REG_SZ, longText + '\0'},
        {Key(), "Foreign", REG_SZ, std::string("stays", 6)},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.key + " " + e.name);
        RawValue raw = ReadRaw(HKEY_CURRENT_USER, e.key, e.name);
        ASSERT_TRUE(raw.found);
        EXPECT_EQ(e.type, raw.type);
        EXPECT_TRUE(e.data == raw.data) << "length " << raw.data.size();
    }
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, Key(), "I").found);
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, Key(), "When").found);

    CKSTHeaderInfoList loaded;
    loaded.SetLong("left over", 1);
    ASSERT_EQ(KST_OK, RegLoadTree(HKEY_CURRENT_USER, kTestKey, loaded));
    EXPECT_EQ(KST_ERR_PROPERTY_MISSING, loaded.IndexOf("left over"));
    EXPECT_EQ(KST_ERR_PROPERTY_MISSING, loaded.IndexOf("I"));
    EXPECT_EQ(KST_ERR_PROPERTY_MISSING, loaded.IndexOf("When"));
    EXPECT_EQ(9, loaded.GetCount(true));

    struct Loaded {
        std::string name;
        bool hidden;
        int32_t type;
        std::string text;
    };
    const Loaded back[] = {
        {"A", false, KST_HIT_LONG, "5"},
        {"S" + kSep + "B", false, KST_HIT_BOOL, "1"},
        {"S" + kSep + "T" + kSep + "C", false, KST_HIT_STRING, "x"},
        {"D", false, KST_HIT_STRING, "0.1"},
        {"N", false, KST_HIT_LONG, "-3"},
        {"Empty", false, KST_HIT_STRING, ""},
        {"Secret", true, KST_HIT_STRING, hiddenText},
        {"S" + kSep + "Long", false, KST_HIT_STRING, longText},
        {"Foreign", false, KST_HIT_STRING, "stays"},
    };
    for (const Loaded& e : back) {
        SCOPED_TRACE(e.name);
        int index = loaded.Find(FromBytes(e.name), e.hidden);
        ASSERT_GE(index, 0);
        const CKSTHeaderInfoItem& item = loaded.GetItem(index);
        EXPECT_EQ(e.type, item.m_type);
        EXPECT_TRUE(e.text == Bytes(item.GetValueText())) << Bytes(item.GetValueText()).size();
    }
    double d = 0.0;
    EXPECT_GE(loaded.GetDouble("D", d), 0);
    EXPECT_EQ(0.1, d);
    // Values of a key come before the entries of its subkeys.
    EXPECT_LT(loaded.IndexOf("Foreign"), loaded.IndexOf(FromBytes("S" + kSep + "B")));
}

TEST_F(RegistryTreeTest, LoaderTakesNamesAndValuesOfAnyLength)
{
    const std::string longName(1000, 'n');
    const std::string longSubkey(200, 'k');
    const std::string data(70000, 'v');
    WriteRaw(HKEY_CURRENT_USER, Key(), longName.c_str(), REG_SZ, data + '\0');
    WriteRaw(HKEY_CURRENT_USER, Key(longSubkey), "V", REG_SZ, std::string("w", 2));
    WriteRaw(HKEY_CURRENT_USER, Key(), "NoTerminator", REG_SZ, "abc");
    WriteRaw(HKEY_CURRENT_USER, Key(), "Short", REG_SZ, "");
    WriteRaw(HKEY_CURRENT_USER, Key(), "Expand", REG_EXPAND_SZ, std::string("%TEMP%", 7));
    WriteRaw(HKEY_CURRENT_USER, Key(), "Multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
    WriteRaw(HKEY_CURRENT_USER, Key(), "Flag", REG_BINARY, std::string("\x00\x01", 2));
    WriteRaw(HKEY_CURRENT_USER, Key(), "NoBytes", REG_BINARY, std::string());

    CKSTHeaderInfoList list;
    ASSERT_EQ(KST_OK, RegLoadTree(HKEY_CURRENT_USER, kTestKey, list));
    CKSTString text;
    EXPECT_GE(list.GetString(FromBytes(longName), text), 0);
    EXPECT_TRUE(data == Bytes(text)) << "length " << text.GetLength();
    EXPECT_GE(list.GetString(FromBytes(longSubkey + kSep + "V"), text), 0);
    EXPECT_EQ("w", Bytes(text));
    EXPECT_GE(list.GetString("NoTerminator", text), 0);
    EXPECT_EQ("abc", Bytes(text));
    EXPECT_GE(list.GetString("Short", text), 0);
    EXPECT_EQ("", Bytes(text));
    EXPECT_GE(list.GetString("Expand", text), 0);
    EXPECT_EQ("%TEMP%", Bytes(text));
    EXPECT_EQ(KST_ERR_PROPERTY_MISSING, list.IndexOf("Multi"));
    bool flag = true;
    EXPECT_GE(list.GetBool("Flag", flag), 0);
    EXPECT_FALSE(flag);
    EXPECT_GE(list.GetBool("NoBytes", flag), 0);
    EXPECT_FALSE(flag);
}

TEST_F(RegistryTreeTest, SubkeyThatCannotBeOpenedIsLeftOutAndSiblingsLoad)
{
    const DWORD one = 1;
    const std::string dword(reinterpret_cast<const char*>(&one), 4);
    WriteRaw(HKEY_CURRENT_USER, Key("A"), "V", REG_DWORD, dword);
    WriteRaw(HKEY_CURRENT_USER, Key("Locked"), "V", REG_DWORD, dword);
    WriteRaw(HKEY_CURRENT_USER, Key("Z"), "V", REG_DWORD, dword);
    WriteRaw(HKEY_CURRENT_USER, Key(), "Root", REG_DWORD, dword);
    LockKey(Key("Locked"));
    HKEY probe = nullptr;
    ASSERT_NE(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, Key("Locked").c_str(), 0, KEY_READ, &probe));

    CKSTHeaderInfoList list;
    ASSERT_EQ(KST_OK, RegLoadTree(HKEY_CURRENT_USER, kTestKey, list));
    EXPECT_EQ(3, list.GetCount(true));
    for (const std::string& name : {std::string("Root"), "A" + kSep + "V", "Z" + kSep + "V"}) {
        SCOPED_TRACE(name);
        int32_t value = 0;
        EXPECT_GE(list.GetLong(FromBytes(name), value), 0);
        EXPECT_EQ(1, value);
    }
}

TEST_F(RegistryTreeTest, FailuresToOpenOrWrite)
{
    CKSTHeaderInfoList list;
    list.SetLong("kept out", 1);
    EXPECT_EQ(KST_ERR_REG_KEY_NOT_OPENED, RegLoadTree(HKEY_CURRENT_USER, kTestKey, list));
    EXPECT_EQ(0, list.GetCount(true));

    LockKey(Key("Locked"));
    list.SetLong("Root", 1);
    list.SetLong(FromBytes("Locked" + kSep + "V"), 2);
    list.SetLong("Later", 3);
    EXPECT_EQ(KST_ERR_REG_WRITE, RegSaveTree(HKEY_CURRENT_USER, kTestKey, list));
    // Values written before the failure stay.
    EXPECT_TRUE(ReadRaw(HKEY_CURRENT_USER, Key(), "Root").found);
}

// ---------------------------------------------------------------------------------------------
// File association.

const char kProgId[] = "KstTest.Document";
const char kForeignProgId[] = "KstForeign.Document";
const char kClasses[] = "SOFTWARE\\Classes\\";
const char kFileExts[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

class FileAssociationTest : public ::testing::Test {
protected:
    void SetUp() override { Cleanup(); }
    void TearDown() override { Cleanup(); }

    static void Cleanup()
    {
        for (const char* key : {".kstdummy", ".kstshared", ".kstforeign", kProgId}) {
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kClasses) + key).c_str());
            RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
        }
        RegDeleteTreeA(HKEY_CURRENT_USER, (std::string(kFileExts) + ".kstdummy").c_str());
    }

    static std::string Default(HKEY root, const std::string& key)
    {
        RawValue raw = ReadRaw(root, key, nullptr);
        return raw.found ? std::string(raw.data.c_str()) : std::string("<none>");
    }

    static bool KeyExists(HKEY root, const std::string& key)
    {
        HKEY h = nullptr;
        if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(h);
        return true;
    }
};

TEST_F(FileAssociationTest, RegistersAndRemovesOnlyItsOwnAssociation)
{
    const std::string exe = "C:\\Program Files\\Kst\\talvenor.exe";
    const std::string userChoice = std::string(kFileExts) + ".kstdummy";
    WriteRaw(HKEY_CURRENT_USER, userChoice, "Application", REG_SZ, std::string("other.exe", 10));
    WriteRaw(HKEY_CURRENT_USER, userChoice, "Keep", REG_SZ, std::string("k", 2));
    // Another program's association, and another program's data in an extension we share.
    WriteRaw(HKEY_LOCAL_MACHINE, std::string(kClasses) + ".kstforeign", nullptr, REG_SZ,
             std::string(kForeignProgId) + '\0');
    WriteRaw(HKEY_LOCAL_MACHINE, std::string(kClasses) + ".kstshared\\OpenWithProgids",
             kForeignProgId, REG_SZ, std::string(1, '\0'));

    for (const char* extension : {"kstdummy", "kstshared"}) {
        EXPECT_EQ(KST_OK, RegisterFileType(kProgId, exe.c_str(), exe.c_str(), extension,
                                           "KstTest.Document - Document"));
    }

    EXPECT_EQ(kProgId, Default(HKEY_CLASSES_ROOT, ".kstdummy"));
    EXPECT_EQ(kProgId, Default(HKEY_LOCAL_MACHINE, std::string(kClasses) + ".kstdummy"));
    EXPECT_EQ("KstTest.Document - Document", Default(HKEY_CLASSES_ROOT, kProgId));
    EXPECT_EQ("\"" + exe + "\" \"%1\"",
              Default(HKEY_CLASSES_ROOT, std::string(kProgId) + "\\Shell\\Open\\Command"));
    EXPECT_EQ(exe + ",0", Default(HKEY_CLASSES_ROOT, std::string(kProgId) + "\\DefaultIcon"));
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, userChoice, "Application").found);
    EXPECT_TRUE(ReadRaw(HKEY_CURRENT_USER, userChoice, "Keep").found);

    // Removing an association that is not ours changes nothing.
    EXPECT_EQ(KST_OK, UnregisterFileType("kstforeign", kProgId));
    EXPECT_EQ(kForeignProgId, Default(HKEY_CLASSES_ROOT, ".kstforeign"));

    EXPECT_EQ(KST_OK, UnregisterFileType("kstdummy", kProgId));
    EXPECT_EQ(KST_OK, UnregisterFileType("kstshared", kProgId));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kClasses) + ".kstdummy"));
    for (const char* key : {".kstdummy", ".kstshared"}) {
        SCOPED_TRACE(key);
        std::string value = Default(HKEY_CLASSES_ROOT, key);
        EXPECT_TRUE(value == "<none>" || value.empty()) << value;
    }
    EXPECT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, std::string(kClasses) + ".kstshared\\OpenWithProgids",
                        kForeignProgId)
                    .found);
    // The ProgID itself stays registered.
    EXPECT_EQ("KstTest.Document - Document", Default(HKEY_CLASSES_ROOT, kProgId));
}

// A command written unquoted by an earlier version cannot start a program under a path with
// blanks: the next registration replaces it in both places the shell reads.
TEST_F(FileAssociationTest, RegistrationQuotesTheProgramAndReplacesAnUnquotedCommand)
{
    const std::string exe = "C:\\Program Files\\Kst\\talvenor.exe";
    const std::string command = std::string(kProgId) + "\\Shell\\Open\\Command";
    const std::string unquoted = exe + " \"%1\"";
    WriteRaw(HKEY_LOCAL_MACHINE, kClasses + command, nullptr, REG_SZ, unquoted + '\0');
    WriteRaw(HKEY_CLASSES_ROOT, command, nullptr, REG_SZ, unquoted + '\0');
    ASSERT_EQ(unquoted, Default(HKEY_CLASSES_ROOT, command));

    EXPECT_EQ(KST_OK, RegisterFileType(kProgId, exe.c_str(), exe.c_str(), "kstdummy", "Document"));
    const std::string quoted = "\"C:\\Program Files\\Kst\\talvenor.exe\" \"%1\"";
    EXPECT_EQ(quoted, Default(HKEY_LOCAL_MACHINE, kClasses + command));
    EXPECT_EQ(quoted, Default(HKEY_CLASSES_ROOT, command));
    // Registering again leaves it as it is, not quoted twice.
    EXPECT_EQ(KST_OK, RegisterFileType(kProgId, exe.c_str(), exe.c_str(), "kstdummy", "Document"));
    EXPECT_EQ(quoted, Default(HKEY_CLASSES_ROOT, command));
}

}  // namespace
