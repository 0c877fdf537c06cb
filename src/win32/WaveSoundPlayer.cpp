#include "win32/WaveSoundPlayer.h"

#include "platform/windows/WideText.h"

#include <windows.h>

#include <mmsystem.h>

namespace zelto::win32 {

bool WaveSoundPlayer::PlaySoundCue(std::string_view name) {
    const std::wstring resourceName = Widen(name);
    const HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, resourceName.c_str(), L"WAVE");
    if (!resource)
        return false;
    HGLOBAL loaded = LoadResource(module, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return false;
    // Without SND_ASYNC the call returns when the sound has ended; a cue still playing is cut off.
    return sndPlaySoundW(static_cast<LPCWSTR>(bytes), SND_MEMORY | SND_NODEFAULT) != FALSE;
}

} // namespace zelto::win32
