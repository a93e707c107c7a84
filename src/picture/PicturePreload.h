// The pictures beside the shown one in its folder, decoded on a thread of their own while the
// user looks at the shown one, so that Next and Previous find them ready.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/GdiPlus.h"
#include "picture/PictureCache.h"

// Each picture is opened exactly as the shown picture's cache opens it (OpenPicture: the file's
// bytes read and the file closed before the decode, so no other program is ever refused), with
// the identity of the bytes read. What is taken must still have that identity, so a file
// changed, replaced or gone since is decoded anew by the cache. Only raster pictures the cache
// keeps are decoded ahead; all decodes ahead together stay within a budget of bytes. GDI+ must
// be running from the first Request until the destructor.
class CPicturePreload {
public:
    CPicturePreload();
    // Finishes the decode under way and ends the thread.
    ~CPicturePreload();
    CPicturePreload(const CPicturePreload&) = delete;
    CPicturePreload& operator=(const CPicturePreload&) = delete;

    // Threads can be used here (see the implementation); otherwise nothing is decoded ahead.
    static bool Available();
    // Where a picture of W x H pixels is first drawn in a client of cw x ch: its corner and
    // drawn size.
    struct Placement {
        int x, y, w, h;
    };
    typedef Placement (*PlaceFn)(int W, int H, int cw, int ch);
    // The window the pictures will be shown in: each is also rendered as it will look there (a
    // client of cw x ch over crBackground, placed by place); cw or ch 0, or no place, renders
    // nothing.
    struct Window {
        int cw, ch;
        COLORREF crBackground;
        PlaceFn place;
    };
    // The pictures wanted next, most wanted first, within nBudget bytes: decodes ahead of
    // others are dropped, those not started yet are forgotten.
    void Request(const std::vector<std::string>& paths, ULONGLONG nBudget, const Window& window);
    // A picture decoded ahead, with its fitted rendering (nullptr when none was made) that has no
    // generation yet.
    struct Ready {
        CPicture picture;
        std::unique_ptr<CRenderedPicture> pRendered;
    };
    // The picture of pszPath decoded ahead, if its file still has identity id; an empty one
    // otherwise. A decode of that file under way is waited for (it is the decode the caller
    // would start), one not started yet is forgotten.
    Ready Take(const char* pszPath, const FileIdentity& id);
    // Takes over a decoded raster picture the caller no longer shows (of pszPath), so that
    // stepping back finds it as if decoded ahead; the next Request keeps it only if it names it.
    void Keep(const char* pszPath, CPicture picture, ULONGLONG nBytes);
    // Drops every decode ahead; a decode under way is finished and dropped.
    void Clear();
    // Waits until nothing is under way or asked for (for tests and measurements).
    void WaitIdle();
    // WaitIdle for every preload of the process: what they hold (GDI+ keeps a bitmap's pixels in
    // a GDI bitmap here) is then settled, so handle counts taken afterwards compare exactly.
    static void WaitAllIdle();
    // The pictures decoded ahead and held now, and their paths in the order they were wanted.
    int Held();
    std::vector<std::string> HeldPaths();

private:
    struct Done {
        std::string strPath;
        CPicture picture;
        ULONGLONG nBytes;
        std::unique_ptr<CRenderedPicture> pRendered;
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

// One decode as the cache keeps it, for reading ahead, asked for the size it will first be drawn
// at in window (a client of 0 x 0 or no place: every pixel): empty for a file that is gone, does
// not decode, is announced too large, is not a raster picture it can keep, or would take more
// than nMaxBytes.
CPicture OpenKeptRaster(const char* pszPath, ULONGLONG nMaxBytes, const CPicturePreload::Window& window);
