// Text values that survive between runs, kept where the desktop keeps a
// user's settings: the registry under HKEY_CURRENT_USER on Windows, an INI
// file in the user's configuration folder elsewhere.
#pragma once

#include <QString>

namespace modRegistry {

// Reads a text value. Returns defaultValue when the root is not
// HKEY_CURRENT_USER, the key or value does not exist, or the value is not
// text. A text value ends at its first NUL character.
QString Get_String_Value(const QString &root, const QString &subkey, const QString &name,
                         const QString &defaultValue = QString());

// Writes a text value, creating the key when needed. Failures are ignored.
void Save_String_Value(const QString &root, const QString &subkey, const QString &name,
                       const QString &value);

// Makes the user's stored values readable by that user alone (they hold a
// password). Failures are ignored.
void Keep_Private();

} // namespace modRegistry
