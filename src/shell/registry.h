#pragma once
// A small key-value store standing in for the Windows registry, which the
// About box reads to find the system information tool. Values come from
// registry.ini in the program folder when that file exists; tests set them
// directly.

#include <QString>
#include <QVariant>

namespace tav::registry {

// The registry's value types the About box understands.
inline constexpr int kTypeString = 1;   // REG_SZ
inline constexpr int kTypeBinary = 3;   // REG_BINARY
inline constexpr int kTypeDword = 4;    // REG_DWORD

inline constexpr quint32 kLocalMachine = 0x80000002u;   // HKEY_LOCAL_MACHINE

struct Value {
    int type = kTypeString;
    QVariant data;   // QString for strings, quint32 for double words, QByteArray otherwise
};

// Looks a value up; key paths use "\" and match without regard to case.
bool read(quint32 root, const QString& keyPath, const QString& valueName, Value& out);
// Sets one value (tests, and the file loader).
void set(quint32 root, const QString& keyPath, const QString& valueName, const Value& value);
void clear();

// Replaces the store with the content of an INI file: each group is a key path
// ("HKEY_LOCAL_MACHINE/SOFTWARE/..."), each entry a value; "dword:XXXXXXXX"
// (hex) is a double word, anything else a string. A missing file leaves the
// store empty.
void loadFile(const QString& path);
// registry.ini in the program folder.
QString defaultFile();

} // namespace tav::registry
