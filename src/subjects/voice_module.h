// The voice analysis and the slowing down of a phrase come from a module of
// their own (libtvx-voice.so beside the executable), loaded the first time a
// learner records a phrase or hears one slowly: the libraries they need
// (aubio with its codecs, SoundTouch) are more than the rest of the program
// together, and most runs never use them. Without the module everything else
// works; recording and hearing slowly say why they cannot.
#pragma once

#include "subjects/voice_compare.h"

#include <QByteArray>
#include <QString>

namespace voiceModule {

// What the module offers. The program and the module are built together, so
// the types pass as they are; the version keeps a module of another build out.
struct Entry {
    int version;
    voice::Comparison (*compare)(const voice::Wave &model, const voice::Wave &mine);
    voice::Wave (*changeTempo)(const voice::Wave &wave, double tempo);
};
inline constexpr int kVersion = 1;
// The module's one exported function, returning its Entry.
inline constexpr char kEntryFunction[] = "tvx_voice_entry";
using EntryFunction = const Entry *(*)();

// The module's path: in the executable's folder unless another folder was set.
QString Path();
// Looks for the module in folder from now on (tests); the next use loads it
// from there.
void Set_Folder(const QString &folder);

// Whether the module's file is there; nothing is loaded.
bool Present();
// Loads the module on first use, from any thread, once; null when it cannot
// be used, with the reason in *problem.
const Entry *Load(QString *problem = nullptr);

// What the learner is told when the module cannot be used.
QString Unavailable_Text(const QString &problem);

// The module's functions; both throw std::runtime_error with
// Unavailable_Text when it cannot be used.
voice::Comparison Compare(const voice::Wave &model, const voice::Wave &mine);
// A wave file slowed down, pitch kept; empty for bytes that are no wave.
QByteArray Change_Tempo(const QByteArray &waveFile, double tempo);

} // namespace voiceModule
