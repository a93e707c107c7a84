// One picture decoded again on a thread of its own with more pixels than the view holds (for a
// zoom, a larger window, or a part of a picture too large to hold whole), while the view draws
// what it holds; the window is told when the decode is done.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "picture/Picture.h"

class CSharperDecode {
public:
    struct Request {
        std::string strPath;
        PictureOptions options;
        int nTicket = 0;
    };

    CSharperDecode();
    // Waits for a decode under way, and ends the thread.
    ~CSharperDecode();
    CSharperDecode(const CSharperDecode&) = delete;
    CSharperDecode& operator=(const CSharperDecode&) = delete;

    // Decodes the request on the thread (one asked before and not started yet is forgotten); when
    // it is done, hWnd (if any) is posted nMessage. False when no thread can run here.
    bool Start(const Request& request, HWND hWnd, UINT nMessage);
    // The picture decoded for nTicket, once; empty when none is done for it.
    CPicture Take(int nTicket);
    // A decode for nTicket waits, runs or is done and not taken.
    bool Pending(int nTicket);
    // Forgets every request; a decode under way finishes, and its picture is dropped.
    void Cancel();
    // Waits until no decode waits or runs (for tests).
    void WaitIdle();

private:
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::thread m_thread;
    bool m_bQueued = false;
    Request m_queued;
    int m_nBusy = 0;  // the ticket under way, 0 when none
    int m_nDone = 0;  // the ticket of m_done, 0 when none
    CPicture m_done;
    HWND m_hWnd = nullptr;
    UINT m_nMessage = 0;
    bool m_bStop = false;
};
