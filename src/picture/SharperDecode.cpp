#include "picture/SharperDecode.h"

#include "picture/PicturePreload.h"

CSharperDecode::CSharperDecode() = default;

CSharperDecode::~CSharperDecode() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
        m_bQueued = false;
    }
    m_cv.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool CSharperDecode::Start(const Request& request, HWND hWnd, UINT nMessage) {
    if (!CPicturePreload::Available())
        return false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queued = request;
        m_bQueued = true;
        m_hWnd = hWnd;
        m_nMessage = nMessage;
        if (!m_thread.joinable()) {
            try {
                m_thread = std::thread(&CSharperDecode::Run, this);
            } catch (...) {
                m_bQueued = false;
                return false;
            }
        }
    }
    m_cv.notify_all();
    return true;
}

CPicture CSharperDecode::Take(int nTicket) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_nDone != nTicket || nTicket == 0)
        return CPicture();
    m_nDone = 0;
    return std::move(m_done);
}

bool CSharperDecode::Pending(int nTicket) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return nTicket != 0 && ((m_bQueued && m_queued.nTicket == nTicket) || m_nBusy == nTicket || m_nDone == nTicket);
}

void CSharperDecode::Cancel() {
    CPicture dropped;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bQueued = false;
    m_nDone = 0;
    dropped = std::move(m_done);
}

void CSharperDecode::WaitIdle() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cv.wait(lock, [this] { return !m_bQueued && m_nBusy == 0; });
}

void CSharperDecode::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_cv.wait(lock, [this] { return m_bStop || m_bQueued; });
        if (m_bStop)
            return;
        const Request request = m_queued;
        m_bQueued = false;
        m_nBusy = request.nTicket;
        lock.unlock();

        CPicture picture;
        try {
            picture = OpenPicture(request.strPath.c_str(), request.options);
        } catch (...) {
            picture = CPicture();
        }

        lock.lock();
        m_nBusy = 0;
        HWND hWnd = nullptr;
        if (picture && !m_bStop && !(m_bQueued && m_queued.nTicket != request.nTicket)) {
            // Only the last request's picture is worth keeping; the one before goes.
            m_done = std::move(picture);
            m_nDone = request.nTicket;
            hWnd = m_hWnd;
        }
        const UINT nMessage = m_nMessage;
        m_cv.notify_all();
        if (hWnd) {
            lock.unlock();
            ::PostMessageA(hWnd, nMessage, 0, 0);
            picture = CPicture();
            lock.lock();
        } else if (picture) {
            lock.unlock();
            picture = CPicture();  // dropped outside the lock
            lock.lock();
        }
    }
}
