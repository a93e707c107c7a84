#include "picture/PicturePreload.h"

#include <algorithm>

namespace {
// The size a picture is drawn at where the window places it: no more pixels are decoded.
SIZE PlacedSize(UINT nWidth, UINT nHeight, const void* pContext) {
    const CPicturePreload::Window* pWindow = static_cast<const CPicturePreload::Window*>(pContext);
    SIZE none = {0, 0};
    if (!pWindow->place || pWindow->cw <= 0 || pWindow->ch <= 0 || nWidth > 0x7FFFFFFF || nHeight > 0x7FFFFFFF)
        return none;
    const CPicturePreload::Placement at =
        pWindow->place(static_cast<int>(nWidth), static_cast<int>(nHeight), pWindow->cw, pWindow->ch);
    SIZE size = {at.w, at.h};
    return size;
}
}  // namespace

CPicture OpenKeptRaster(const char* pszPath, ULONGLONG nMaxBytes, const CPicturePreload::Window& window) {
    // Decoded as the shown picture's cache decodes it: for the size it is first drawn at, within
    // the cache's ceiling.
    PictureOptions options;
    options.nCeiling = CPictureCache::kDefaultCeiling;
    options.pfnDrawnSize = &PlacedSize;
    options.pDrawnSizeContext = &window;
    CPicture picture = OpenPicture(pszPath, options);
    if (!picture.IsRaster() || !picture.WidenForKeeping(nMaxBytes) || picture.DecodedBytes() > nMaxBytes)
        return CPicture();
    return picture;
}

bool CPicturePreload::Available() {
#ifdef _WIN64
    return true;
#else
    // Under Wine a 32-bit program may run under an emulator of 32-bit code (on machines whose
    // kernel runs none), where a second thread can take the whole process down; the program
    // cannot tell the emulator from native execution, so under Wine it keeps to one thread.
    return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr;
#endif
}

namespace {
std::mutex g_instancesMutex;
std::vector<CPicturePreload*> g_instances;
}  // namespace

CPicturePreload::CPicturePreload() : m_nBudget(0), m_window(), m_bStop(false) {
    std::lock_guard<std::mutex> lock(g_instancesMutex);
    g_instances.push_back(this);
}

void CPicturePreload::WaitAllIdle() {
    std::lock_guard<std::mutex> lock(g_instancesMutex);
    for (CPicturePreload* p : g_instances)
        p->WaitIdle();
}

CPicturePreload::~CPicturePreload() {
    {
        std::lock_guard<std::mutex> lock(g_instancesMutex);
        g_instances.erase(std::remove(g_instances.begin(), g_instances.end(), this), g_instances.end());
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
        m_queue.clear();
    }
    m_cv.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    DropDone();
}

void CPicturePreload::DropDone() {
    m_done.clear();
}

ULONGLONG CPicturePreload::HeldBytes() const {
    ULONGLONG n = 0;
    for (const Done& d : m_done)
        n += d.nBytes;
    return n;
}

void CPicturePreload::Request(const std::vector<std::string>& paths, ULONGLONG nBudget, const Window& window) {
    if (!Available())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_nBudget = nBudget;
        m_window = window;
        // Keep what is wanted and fits, most wanted first; drop the rest.
        std::vector<Done> kept;
        ULONGLONG nHeld = 0;
        for (const std::string& path : paths) {
            auto it = std::find_if(m_done.begin(), m_done.end(), [&](const Done& d) { return d.strPath == path; });
            if (it != m_done.end() && nHeld + it->nBytes <= nBudget) {
                nHeld += it->nBytes;
                kept.push_back(std::move(*it));
                m_done.erase(it);
            }
        }
        DropDone();
        m_done = std::move(kept);
        m_wanted = paths;
        m_queue.clear();
        for (const std::string& path : paths) {
            bool bHeld = std::any_of(m_done.begin(), m_done.end(), [&](const Done& d) { return d.strPath == path; });
            if (!bHeld && path != m_strBusy)
                m_queue.push_back(path);
        }
        if (!m_thread.joinable() && !m_queue.empty()) {
            try {
                m_thread = std::thread(&CPicturePreload::Run, this);
            } catch (...) {
                m_queue.clear();  // no thread: nothing is decoded ahead
            }
        }
    }
    m_cv.notify_all();
}

void CPicturePreload::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_cv.wait(lock, [this] { return m_bStop || !m_queue.empty(); });
        if (m_bStop)
            return;
        const std::string path = m_queue.front();
        m_queue.pop_front();
        const ULONGLONG nRoom = m_nBudget > HeldBytes() ? m_nBudget - HeldBytes() : 0;
        const Window window = m_window;
        m_strBusy = path;
        lock.unlock();

        CPicture picture;
        std::unique_ptr<CRenderedPicture> pRendered;
        try {
            picture = OpenKeptRaster(path.c_str(), nRoom, window);
            if (picture && window.cw > 0 && window.ch > 0 && window.place) {
                // As the view will show it first.
                const Placement at = window.place(static_cast<int>(picture.Width()), static_cast<int>(picture.Height()),
                                                  window.cw, window.ch);
                const CRenderedPicture::Key key = {-1, at.w, at.h, window.crBackground};
                pRendered.reset(new CRenderedPicture);
                if (!pRendered->Render(picture.Image(), key, at.x, at.y,
                                       RenderArea(at.x, at.y, at.w, at.h, window.cw, window.ch, 0)))
                    pRendered.reset();
            }
        } catch (...) {
            pRendered.reset();
            picture = CPicture();
        }

        lock.lock();
        m_strBusy.clear();
        // Still wanted (Request or Clear may have come meanwhile) and within the budget now.
        const ULONGLONG nBytes = picture.DecodedBytes();
        if (picture && !m_bStop && IsWanted(path) && HeldBytes() + nBytes <= m_nBudget) {
            m_done.push_back(Done{path, std::move(picture), nBytes, std::move(pRendered)});
        }
        m_cv.notify_all();
        if (picture || pRendered) {
            // Let go outside the lock.
            lock.unlock();
            pRendered.reset();
            picture = CPicture();
            lock.lock();
        }
    }
}

bool CPicturePreload::IsWanted(const std::string& path) const {
    return std::find(m_wanted.begin(), m_wanted.end(), path) != m_wanted.end();
}

CPicturePreload::Ready CPicturePreload::Take(const char* pszPath, const FileIdentity& id) {
    Ready ready;
    std::unique_lock<std::mutex> lock(m_mutex);
    const std::string path = pszPath;
    // The decode the caller would start is under way: finishing it is quicker.
    m_cv.wait(lock, [&] { return m_strBusy != path; });
    m_queue.erase(std::remove(m_queue.begin(), m_queue.end(), path), m_queue.end());
    m_wanted.erase(std::remove(m_wanted.begin(), m_wanted.end(), path), m_wanted.end());
    auto it = std::find_if(m_done.begin(), m_done.end(), [&](const Done& d) { return d.strPath == path; });
    if (it == m_done.end())
        return ready;
    Done done = std::move(*it);
    m_done.erase(it);
    // Changed or replaced since: the caller decodes it anew (and what was read goes here).
    if (!SameIdentity(done.picture.Identity(), id))
        return ready;
    ready.picture = std::move(done.picture);
    ready.pRendered = std::move(done.pRendered);
    return ready;
}

void CPicturePreload::Keep(const char* pszPath, CPicture picture, ULONGLONG nBytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string path = pszPath;
    // Within the ceiling still: the caller's own picture was counted off the budget until now.
    if (!Available() || path == m_strBusy ||
        std::any_of(m_done.begin(), m_done.end(), [&](const Done& d) { return d.strPath == path; }))
        return;
    m_done.push_back(Done{path, std::move(picture), nBytes, nullptr});
}

void CPicturePreload::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wanted.clear();
    m_queue.clear();
    DropDone();
}

void CPicturePreload::WaitIdle() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cv.wait(lock, [this] { return m_queue.empty() && m_strBusy.empty(); });
}

int CPicturePreload::Held() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_done.size());
}

std::vector<std::string> CPicturePreload::HeldPaths() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> held;
    for (const std::string& path : m_wanted) {
        if (std::any_of(m_done.begin(), m_done.end(), [&](const Done& d) { return d.strPath == path; }))
            held.push_back(path);
    }
    return held;
}
