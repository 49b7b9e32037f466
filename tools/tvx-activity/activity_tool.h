// tvx-activity: makes the descriptor an activity program carries beside it
// (<program name up to its first ".">.cfg): a protected database with the
// table tblImages(bSpanish, bEnglish) whose first row holds the normal button
// picture and whose second row holds the highlighted one, as PNG files, for
// Spanish- and English-speaking learners. Everything the command line offers
// is a function here, so tests call it without starting a process.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <stdexcept>

class QTextStream;

namespace tvxactivity {

class ToolError : public std::runtime_error {
public:
    explicit ToolError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// The shell's activity button is 2415 x 630 twips: 161 x 42 pixels at 96
// DPI. Pictures are drawn at twice that for sharp high-DPI screens; the shell
// scales them to the button.
constexpr int kButtonWidth = 322;
constexpr int kButtonHeight = 84;

// The password every database of the system is protected with.
inline const char *const kDescriptorPassword = "kqw6081";

enum class Symbol { None, Cards, Listen, Pencil, Pairs, Speak };

// Two PNG files: the button at rest and under the mouse.
struct ButtonPictures {
    QByteArray normal;
    QByteArray highlighted;
};

// Draws a button carrying name (shrunk to fit) and, left of it, a symbol.
ButtonPictures DrawButton(const QString &name, Symbol symbol);

// Writes the descriptor, replacing any file at path; the file appears only
// when complete.
void WriteDescriptor(const QString &path, const ButtonPictures &english,
                     const ButtonPictures &spanish);

struct Descriptor {
    ButtonPictures english;
    ButtonPictures spanish;
};
// Reads a descriptor the way the shell does: the first two rows of tblImages.
Descriptor ReadDescriptor(const QString &path);

// Reads a picture file of any format Qt reads and returns it as PNG.
QByteArray PngFromFile(const QString &path);

// The command line:
//   draw --english <name> --spanish <name> [--symbol cards|listen|speak|none] --out <file.cfg>
//   pack --english-normal <png> --english-highlighted <png>
//        --spanish-normal <png> --spanish-highlighted <png> --out <file.cfg>
//   unpack <file.cfg> --out <folder>
// Returns the exit status: 0 done, 1 failed, 2 wrong usage.
int Run(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace tvxactivity
