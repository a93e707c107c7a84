// The pictures beside the shown one in its folder, decoded on a thread of their own while the
// user looks at the shown one, so that Next and Previous find them ready.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/GdiPlus.h"
#include "view/PictureCache.h"

// Each picture is decoded exactly as the shown picture's cache decodes it (pixels copied, the
// file closed at once: no file is held open between operations) with the file's identity taken
// before and after; a file changed meanwhile is not kept. What is taken must still have that
// identity, so a file changed, replaced or gone since is decoded anew by the cache. Only raster
// pictures of 8 bits per pixel and more are decoded ahead; all decodes ahead together stay within
// a budget of bytes. GDI+ must be running from the first Request until the destructor.
class CPicturePreload {
public:
    CPicturePreload();
    // Finishes the decode under way and ends the thread.
    ~CPicturePreload();
    CPicturePreload(const CPicturePreload&) = delete;
    CPicturePreload& operator=(const CPicturePreload&) = delete;

    // Threads can be used here (see the implementation); otherwise nothing is decoded ahead.
    static bool Available();
    // The window the pictures will be shown in, fitted: each is also rendered as it will look
    // there (a client of cw x ch over crBackground); cw or ch 0 renders nothing.
    struct Window {
        int cw, ch;
        COLORREF crBackground;
    };
    // The pictures wanted next, most wanted first, within nBudget bytes: decodes ahead of
    // others are dropped, those not started yet are forgotten.
    void Request(const std::vector<std::string>& paths, ULONGLONG nBudget, const Window& window);
    // The picture of pszPath decoded ahead, if its file still has identity id: the caller owns
    // it, and *ppRendered (nullptr when none was made), its fitted rendering with no generation
    // yet; nullptr otherwise. A decode of that file under way is waited for (it is the decode
    // the caller would start), one not started yet is forgotten.
    Gdiplus::Bitmap* Take(const char* pszPath,
                          const FileIdentity& id,
                          ULONGLONG* pnBytes,
                          CRenderedPicture** ppRendered);
    // Takes over a decoded raster picture the caller no longer shows (pBitmap, of pszPath as
    // it was with identity id), so that stepping back finds it as if decoded ahead; the next
    // Request keeps it only if it names it.
    void Keep(const char* pszPath, const FileIdentity& id, Gdiplus::Bitmap* pBitmap, ULONGLONG nBytes);
    // Drops every decode ahead; a decode under way is finished and dropped.
    void Clear();
    // Waits until nothing is under way or asked for (for tests and measurements).
    void WaitIdle();
    // WaitIdle for every preload of the process: what they hold (GDI+ keeps a bitmap's pixels in
    // a GDI bitmap here) is then settled, so handle counts taken afterwards compare exactly.
    static void WaitAllIdle();
    // The pictures decoded ahead and held now.
    int Held();

private:
    struct Done {
        std::string strPath;
        FileIdentity id;
        Gdiplus::Bitmap* pBitmap;
        ULONGLONG nBytes;
        CRenderedPicture* pRendered;
    };
    void Run();
    void DropDone();
    ULONGLONG HeldBytes() const;
    bool IsWanted(const std::string& path) const;

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::thread m_thread;
    std::deque<std::string> m_queue;  // not started yet
    std::string m_strBusy;            // under way ("" when none)
    std::vector<Done> m_done;
    std::vector<std::string> m_wanted;  // the last request's paths not taken since
    ULONGLONG m_nBudget;
    Window m_window;
    bool m_bStop;
};

// One decode as the cache keeps it: the loaded picture copied in its own pixel format and
// the file closed. nullptr for a file that is gone, does not decode, is announced too large,
// is not a raster picture of 8 bits per pixel or more, or would take more than nMaxBytes.
Gdiplus::Bitmap* DecodeRasterCopy(const char* pszPath, ULONGLONG nMaxBytes, ULONGLONG* pnBytes);
