// Owning wrappers for the USER handles that are not GDI objects: menus, accelerator tables,
// icons and cursors. Each destroys what it holds with its own function, once; moving passes
// the ownership on, copying is not allowed. They convert to the raw handle for API calls.
#pragma once

#include <windows.h>

#include <memory>

template <typename H, BOOL(WINAPI* pfnDestroy)(H)>
class CAfxOwnedHandle {
public:
    CAfxOwnedHandle() = default;
    explicit CAfxOwnedHandle(H h) : m_h(h) {}
    CAfxOwnedHandle(const CAfxOwnedHandle&) = delete;
    CAfxOwnedHandle& operator=(const CAfxOwnedHandle&) = delete;
    CAfxOwnedHandle(CAfxOwnedHandle&& other) noexcept : m_h(other.Detach()) {}
    CAfxOwnedHandle& operator=(CAfxOwnedHandle&& other) noexcept {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }
    ~CAfxOwnedHandle() { Destroy(); }

    operator H() const { return m_h; }
    H Get() const { return m_h; }
    // Takes ownership of h, destroying what was held before.
    void Attach(H h) {
        if (h != m_h)
            Destroy();
        m_h = h;
    }
    // Gives the handle up without destroying it.
    H Detach() {
        H h = m_h;
        m_h = nullptr;
        return h;
    }
    // Destroys the handle; TRUE when there was one and the system destroyed it.
    BOOL Destroy() {
        if (!m_h)
            return FALSE;
        BOOL ok = pfnDestroy(m_h);
        m_h = nullptr;
        return ok;
    }

private:
    H m_h = nullptr;
};

typedef CAfxOwnedHandle<HMENU, ::DestroyMenu> CMenuHandle;
typedef CAfxOwnedHandle<HACCEL, ::DestroyAcceleratorTable> CAcceleratorHandle;
typedef CAfxOwnedHandle<HICON, ::DestroyIcon> CIconHandle;
typedef CAfxOwnedHandle<HCURSOR, ::DestroyCursor> CCursorHandle;

// Global memory from GlobalAlloc, freed with GlobalFree (HGLOBAL is a pointer type).
struct CGlobalFreeDeleter {
    void operator()(HGLOBAL h) const { ::GlobalFree(h); }
};
typedef std::unique_ptr<void, CGlobalFreeDeleter> CGlobalMemory;
