#include "foundation/win/RegistryTree.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/ErrorCodes.h"

namespace {

// Stored form of hidden strings in settings trees: the value name stays readable.
constexpr int kRegScrambleMode = KST_SCRAMBLE_RANMAR;
constexpr bool kRegKeepName = true;
// Registry names cannot exceed 16,383 characters; this bounds the growth of name buffers.
constexpr size_t kMaxNameBuffer = 32768;

class KeyHandle {
public:
    KeyHandle() = default;
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    ~KeyHandle() { Close(); }

    HKEY* Out()
    {
        Close();
        return &m_key;
    }
    HKEY Get() const { return m_key; }
    void Close()
    {
        if (m_key) {
            RegCloseKey(m_key);
            m_key = nullptr;
        }
    }

private:
    HKEY m_key = nullptr;
};

std::string ToStd(const CKSTString& s)
{
    return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}

CKSTString FromStd(const std::string& s)
{
    CKSTString result;
    result.Assign(s.data(), static_cast<int>(s.size()));
    return result;
}

std::string JoinKeyPath(const std::string& path, const std::string& subkey)
{
    if (subkey.empty()) {
        return path;
    }
    if (path.empty()) {
        return subkey;
    }
    return path.back() == '\\' ? path + subkey : path + '\\' + subkey;
}

struct KeySizes {
    DWORD maxSubkeyName = 0;
    DWORD maxValueName = 0;
    DWORD maxValueData = 0;
};

KeySizes QuerySizes(HKEY key)
{
    KeySizes sizes;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &sizes.maxSubkeyName, nullptr,
                     nullptr, &sizes.maxValueName, &sizes.maxValueData, nullptr, nullptr);
    return sizes;
}

void GrowTo(std::vector<char>& buffer, size_t size)
{
    if (buffer.size() < size) {
        buffer.resize(size);
    }
}

// One value by index, whatever the length of its name and data. The buffers are sized from
// the key's maxima and grown when the value changed in between.
LONG EnumValue(HKEY key, DWORD index, std::vector<char>& name, std::vector<char>& data,
               std::string& valueName, DWORD& type, DWORD& dataSize)
{
    for (;;) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        dataSize = static_cast<DWORD>(data.size());
        LONG result = RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type,
                                    reinterpret_cast<BYTE*>(data.data()), &dataSize);
        if (result == ERROR_SUCCESS) {
            valueName.assign(name.data(), nameLength);
            return result;
        }
        if (result != ERROR_MORE_DATA || name.size() >= kMaxNameBuffer) {
            return result;
        }
        KeySizes sizes = QuerySizes(key);
        GrowTo(data, std::max<size_t>(dataSize, sizes.maxValueData) + 1);
        GrowTo(name, std::max<size_t>(name.size() * 2, sizes.maxValueName + 1));
    }
}

LONG EnumSubkey(HKEY key, DWORD index, std::vector<char>& name, std::string& subkeyName)
{
    for (;;) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        LONG result =
            RegEnumKeyExA(key, index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_SUCCESS) {
            subkeyName.assign(name.data(), nameLength);
            return result;
        }
        if (result != ERROR_MORE_DATA || name.size() >= kMaxNameBuffer) {
            return result;
        }
        GrowTo(name, std::max<size_t>(name.size() * 2, QuerySizes(key).maxSubkeyName + 1));
    }
}

void LoadValue(CKSTHeaderInfoList& list, const std::string& entryName, DWORD type, const char* data,
               size_t size)
{
    CKSTString name = FromStd(entryName);
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
            // A hidden string is a zero byte, the scrambled text and the terminator. The
            // scrambled text may hold zero bytes itself, so it is taken by the stored length.
            // A plain empty string (just the terminator, or nothing) stays a visible one.
            if (size >= 2 && data[0] == '\0') {
                size_t length = size - 1;
                if (data[size - 1] == '\0') {
                    --length;
                }
                CKSTHeaderInfoItem item;
                item.m_name = name;
                item.SetString(FromStd(std::string(data + 1, length)), true);
                item.Unscramble(kRegScrambleMode, kRegKeepName);
                list.Add(item);
            } else {
                size_t length = 0;
                while (length < size && data[length] != '\0') {
                    ++length;
                }
                list.SetString(name, FromStd(std::string(data, length)), false);
            }
            break;
        case REG_BINARY:
            list.SetBool(name, size > 0 && data[0] != 0, false);
            break;
        case REG_DWORD: {
            uint32_t value = 0;
            std::memcpy(&value, data, std::min<size_t>(size, sizeof value));
            list.SetLong(name, static_cast<int32_t>(value), false);
            break;
        }
        default:
            break;
    }
}

void LoadKey(HKEY key, const std::string& prefix, CKSTHeaderInfoList& list)
{
    KeySizes sizes = QuerySizes(key);
    std::vector<char> name(std::max<size_t>(sizes.maxValueName, sizes.maxSubkeyName) + 1);
    std::vector<char> data(static_cast<size_t>(sizes.maxValueData) + 1);

    std::string valueName;
    DWORD type = 0;
    DWORD size = 0;
    for (DWORD index = 0;; ++index) {
        LONG result = EnumValue(key, index, name, data, valueName, type, size);
        if (result == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (result != ERROR_SUCCESS || valueName.empty()) {
            continue;
        }
        std::string entryName = prefix.empty() ? valueName : prefix + kKstTreeSeparator + valueName;
        LoadValue(list, entryName, type, data.data(), size);
    }

    std::string subkeyName;
    for (DWORD index = 0;; ++index) {
        LONG result = EnumSubkey(key, index, name, subkeyName);
        if (result == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (result != ERROR_SUCCESS) {
            continue;
        }
        KeyHandle subkey;
        if (RegOpenKeyExA(key, subkeyName.c_str(), 0, KEY_READ, subkey.Out()) != ERROR_SUCCESS) {
            continue;  // an unreadable subkey is left out; its siblings still load
        }
        LoadKey(subkey.Get(), prefix.empty() ? subkeyName : prefix + kKstTreeSeparator + subkeyName,
                list);
    }
}

// Subkey part of an entry name as a registry path, and its value name.
void SplitEntryName(const std::string& entryName, std::string& subkey, std::string& valueName)
{
    size_t last = entryName.rfind(kKstTreeSeparator);
    if (last == std::string::npos) {
        subkey.clear();
        valueName = entryName;
        return;
    }
    subkey = entryName.substr(0, last);
    std::replace(subkey.begin(), subkey.end(), kKstTreeSeparator, '\\');
    valueName = entryName.substr(last + 1);
}

LONG WriteEntry(HKEY key, const std::string& valueName, const CKSTHeaderInfoItem& item)
{
    auto setValue = [&](DWORD type, const void* bytes, size_t size) {
        return RegSetValueExA(key, valueName.c_str(), 0, type, static_cast<const BYTE*>(bytes),
                              static_cast<DWORD>(size));
    };
    switch (item.m_type) {
        case KST_HIT_BOOL: {
            BYTE flag = item.GetBool() ? 1 : 0;
            return setValue(REG_BINARY, &flag, 1);
        }
        case KST_HIT_SHORT:
        case KST_HIT_LONG: {
            DWORD value = static_cast<DWORD>(item.m_longValue);
            return setValue(REG_DWORD, &value, sizeof value);
        }
        case KST_HIT_DOUBLE: {
            CKSTString text;
            text.AppendDouble(item.m_doubleValue);
            return setValue(REG_SZ, text.c_str(), static_cast<size_t>(text.GetLength()) + 1);
        }
        case KST_HIT_STRING:
            if (item.m_hidden) {
                CKSTHeaderInfoItem stored(item);
                stored.Scramble(kRegScrambleMode, kRegKeepName);
                std::string data(1, '\0');
                data += ToStd(stored.m_text);
                data += '\0';
                return setValue(REG_SZ, data.data(), data.size());
            }
            return setValue(REG_SZ, item.m_text.c_str(),
                            static_cast<size_t>(item.m_text.GetLength()) + 1);
        default:
            return ERROR_SUCCESS;  // 64-bit integers and time stamps are not kept in the registry
    }
}

std::string ReadDefaultString(HKEY key)
{
    std::vector<char> buffer(256);
    for (;;) {
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(buffer.size());
        LONG result = RegQueryValueExA(key, nullptr, nullptr, &type,
                                       reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (result == ERROR_MORE_DATA) {
            buffer.resize(static_cast<size_t>(size) + 1);
            continue;
        }
        if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
            return std::string();
        }
        size_t length = 0;
        while (length < size && buffer[length] != '\0') {
            ++length;
        }
        return std::string(buffer.data(), length);
    }
}

void SetDefaultString(HKEY root, const std::string& keyPath, const std::string& value)
{
    KeyHandle key;
    if (RegCreateKeyExA(root, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Out(),
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    }
}

bool KeyIsEmpty(HKEY key)
{
    DWORD subkeys = 0;
    DWORD values = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return subkeys == 0 && values == 0;
}

}  // namespace

int RegLoadTree(HKEY root, const CKSTString& keyPath, CKSTHeaderInfoList& list)
{
    list.Clear();
    KeyHandle key;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.Out()) != ERROR_SUCCESS) {
        return KST_ERR_REG_KEY_NOT_OPENED;
    }
    LoadKey(key.Get(), std::string(), list);
    return KST_OK;
}

int RegSaveTree(HKEY root, const CKSTString& keyPath, const CKSTHeaderInfoList& list)
{
    const int count = list.GetCount(true);
    const std::string path = ToStd(keyPath);
    std::vector<bool> done(static_cast<size_t>(count), false);
    std::string subkey;
    std::string valueName;

    // One pass per subkey, in the order in which the subkeys first appear in the list.
    for (int first = 0; first < count; ++first) {
        if (done[static_cast<size_t>(first)]) {
            continue;
        }
        std::string passSubkey;
        SplitEntryName(ToStd(list.GetItem(first).m_name), passSubkey, valueName);
        KeyHandle key;
        if (RegCreateKeyExA(root, JoinKeyPath(path, passSubkey).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, key.Out(), nullptr) != ERROR_SUCCESS) {
            return KST_ERR_REG_WRITE;
        }
        for (int i = first; i < count; ++i) {
            if (done[static_cast<size_t>(i)]) {
                continue;
            }
            const CKSTHeaderInfoItem& item = list.GetItem(i);
            SplitEntryName(ToStd(item.m_name), subkey, valueName);
            if (subkey != passSubkey) {
                continue;
            }
            if (WriteEntry(key.Get(), valueName, item) != ERROR_SUCCESS) {
                return KST_ERR_REG_WRITE;
            }
            done[static_cast<size_t>(i)] = true;
        }
    }
    return KST_OK;
}

int RegisterFileType(const CKSTString& progId, const CKSTString& commandPath,
                     const CKSTString& iconPath, const CKSTString& extension,
                     const CKSTString& description)
{
    const std::string id = ToStd(progId);
    const std::string dotExtension = "." + ToStd(extension);
    // Quoted: the shell cuts an unquoted path at its first blank.
    const std::string command = "\"" + ToStd(commandPath) + "\" \"%1\"";
    const std::string icon = ToStd(iconPath) + ",0";
    const std::string text = ToStd(description);

    const std::string classes = "SOFTWARE\\Classes\\";
    SetDefaultString(HKEY_LOCAL_MACHINE, classes + dotExtension, id);
    SetDefaultString(HKEY_LOCAL_MACHINE, classes + id, text);
    SetDefaultString(HKEY_LOCAL_MACHINE, classes + id + "\\Shell\\Open\\Command", command);
    SetDefaultString(HKEY_LOCAL_MACHINE, classes + id + "\\DefaultIcon", icon);

    // The user's own choice of program for the extension would override the association.
    KeyHandle userChoice;
    const std::string fileExts =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\" + dotExtension;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, fileExts.c_str(), 0, KEY_SET_VALUE, userChoice.Out()) ==
        ERROR_SUCCESS) {
        RegDeleteValueA(userChoice.Get(), "Application");
    }

    SetDefaultString(HKEY_CLASSES_ROOT, dotExtension, id);
    SetDefaultString(HKEY_CLASSES_ROOT, id, text);
    SetDefaultString(HKEY_CLASSES_ROOT, id + "\\Shell\\Open\\Command", command);
    SetDefaultString(HKEY_CLASSES_ROOT, id + "\\DefaultIcon", icon);
    return KST_OK;
}

int UnregisterFileType(const CKSTString& extension, const CKSTString& progId)
{
    const std::string dotExtension = "." + ToStd(extension);
    const std::string id = ToStd(progId);

    {
        KeyHandle classes;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes", 0, KEY_READ | KEY_WRITE | DELETE,
                          classes.Out()) == ERROR_SUCCESS) {
            KeyHandle key;
            if (RegOpenKeyExA(classes.Get(), dotExtension.c_str(), 0, KEY_READ | KEY_SET_VALUE,
                              key.Out()) == ERROR_SUCCESS &&
                ReadDefaultString(key.Get()) == id) {
                RegDeleteValueA(key.Get(), nullptr);
                bool empty = KeyIsEmpty(key.Get());
                key.Close();
                if (empty) {
                    RegDeleteKeyA(classes.Get(), dotExtension.c_str());
                }
            }
        }
    }

    KeyHandle key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, dotExtension.c_str(), 0, KEY_READ | KEY_SET_VALUE,
                      key.Out()) == ERROR_SUCCESS &&
        ReadDefaultString(key.Get()) == id) {
        RegSetValueExA(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    }
    return KST_OK;
}
