// A small owning pointer to a COM interface: releases what it holds once, moves, never copies.
#pragma once

#include <windows.h>
#include <unknwn.h>

template <typename T>
class CComPtr {
public:
    CComPtr() = default;
    // Takes over a reference the caller owns.
    explicit CComPtr(T* p) : m_p(p) {}
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;
    CComPtr(CComPtr&& other) noexcept : m_p(other.Detach()) {}
    CComPtr& operator=(CComPtr&& other) noexcept {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }
    ~CComPtr() { Release(); }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For a function that hands out a new reference: what was held is released first.
    T** Put() {
        Release();
        return &m_p;
    }
    void Attach(T* p) {
        if (p != m_p)
            Release();
        m_p = p;
    }
    T* Detach() {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }
    void Release() {
        if (m_p) {
            T* p = m_p;
            m_p = nullptr;
            p->Release();
        }
    }

private:
    T* m_p = nullptr;
};
