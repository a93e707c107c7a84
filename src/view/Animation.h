// A picture that moves: its frames as they are shown (disposal and blending done), each frame's
// delay, and how often it plays; the frame shown and when the next one is due.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/GdiPlus.h"
#include "picture/DecodedImage.h"

class CAnimation {
public:
    // Frames kept decoded take no more than this together (256 MB); a longer animation keeps
    // only the frame shown and decodes the next one when it is due.
    static const ULONGLONG kDefaultCeiling = 256ull << 20;

    CAnimation();
    ~CAnimation();
    CAnimation(const CAnimation&) = delete;
    CAnimation& operator=(const CAnimation&) = delete;

    // The delay a frame plays for: as the file gives it, but the common rule that a delay under
    // 20 ms plays at 100 ms.
    static UINT PlayedDelay(UINT nFileDelayMs);

    // The frames of the picture file pszPath: an animated GIF through GDI+ (which composes each
    // frame on the ones before), an animated WebP or AVIF through our own decoders. False, and
    // nothing held, for a still picture, a file that does not decode or one announced too large.
    bool Load(const char* pszPath, ULONGLONG nCeiling = kDefaultCeiling);
    // The frames of an already decoded picture; false for fewer than two.
    bool Load(CDecodedImage image);
    void Clear();

    bool Holds() const { return m_nFrames > 1; }
    // Frames are still to come: the loop count has not run out.
    bool IsRunning() const { return Holds() && !m_bEnded; }
    size_t FrameCount() const { return m_nFrames; }
    size_t FrameShown() const { return m_nFrame; }
    // Plays of the whole animation; 0: for ever.
    int Plays() const { return m_nPlays; }
    // How long the frame shown stays, in ms, as played.
    UINT DelayShown() const;
    // Frames kept decoded (all of them, or only the one shown).
    bool KeepsAllFrames() const { return !m_kept.empty() || !m_decoded.frames.empty(); }

    // The next frame, wrapping to the first for the next play; false (and the last frame stays)
    // when the last play has ended.
    bool Advance();
    // The frame shown, valid until the next Advance, Load or Clear; nullptr when nothing is held
    // or the frame could not be made.
    Gdiplus::Image* Shown();

private:
    bool ShowFrame(size_t nFrame);

    size_t m_nFrames;
    size_t m_nFrame;
    int m_nPlays;
    int m_nPlayed;  // plays ended so far
    bool m_bEnded;
    std::vector<UINT> m_delays;  // as the file gives them
    // One of three sources: the frames kept as GDI+ bitmaps; GDI+'s image of the file, which
    // composes the frame selected; or the decoded frames of our own decoders.
    std::vector<std::unique_ptr<Gdiplus::Bitmap>> m_kept;
    std::unique_ptr<Gdiplus::Image> m_pFile;
    CDecodedImage m_decoded;
    std::unique_ptr<Gdiplus::Bitmap> m_pMade;  // the frame shown, made from m_decoded
};
