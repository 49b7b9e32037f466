// The entry of the late-loaded voice module (libtvx-voice.so): the program
// finds the analysis and the slowing down through this one function.
#include "subjects/voice_module.h"

#include <QtGlobal>

namespace {

voice::Wave changeTempo(const voice::Wave &wave, double tempo) {
    return voice::Change_Tempo(wave, tempo);
}

} // namespace

extern "C" Q_DECL_EXPORT const voiceModule::Entry *tvx_voice_entry() {
    static const voiceModule::Entry entry{voiceModule::kVersion, &voice::Compare, &changeTempo};
    return &entry;
}
