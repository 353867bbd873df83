// The extension list the wizard hands to tesscli with -ext: the ticked boxes
// and the custom extensions, made into a clean comma-separated list. tesscli
// compares each entry with the text after a file's last dot exactly (ASCII
// letters in either case alike), so an entry with a blank, a wildcard or a
// dot in it would match no file at all.
#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace tessaly::wizard {

// The extension check boxes in the order their literals are listed.
inline constexpr std::array<const char*, 8> kExtensionLiterals = {"cpp", "cc", "cxx", "c",
                                                                  "h",   "hh", "hpp", "hxx"};

// The custom extensions as typed, read as a list.
struct CustomExtensions {
    QStringList extensions;  // in the order typed, each once
    QString refused;         // the first piece that cannot be an extension; empty when none
};

// Pieces are separated by commas, semicolons or blanks; a leading "*." or
// "." is dropped ("*.res" and ".res" are "res"); empty pieces are dropped.
// A piece that still holds "*", "?", "/", "\" or "." is refused.
CustomExtensions readCustomExtensions(const QString& typed);

// The ticked extensions (in the order of kExtensionLiterals), then the
// custom ones, each once, where it first stands, ignoring the case of ASCII
// letters as tesscli does; joined with commas. Refused pieces are left out.
QString buildExtensionList(const std::array<bool, 8>& ticked, const QString& custom);

}  // namespace tessaly::wizard
