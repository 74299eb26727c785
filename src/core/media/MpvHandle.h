#pragma once

#include <mpv/client.h>

// The one owner of an mpv_handle. Destroying it first stops the wakeup callback, so no
// callback can reach an owner that is going away, then ends the core. A render context
// made on the handle must be freed before (the owner of the handle sees to that).
class MpvHandle {
public:
    MpvHandle() = default;
    explicit MpvHandle(mpv_handle* handle) : m_handle(handle) {}
    ~MpvHandle() { reset(); }

    MpvHandle(const MpvHandle&) = delete;
    MpvHandle& operator=(const MpvHandle&) = delete;
    MpvHandle(MpvHandle&& other) noexcept : m_handle(other.m_handle) { other.m_handle = nullptr; }
    MpvHandle& operator=(MpvHandle&& other) noexcept {
        if (this != &other) {
            reset();
            m_handle = other.m_handle;
            other.m_handle = nullptr;
        }
        return *this;
    }

    mpv_handle* get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

    void reset() {
        if (m_handle != nullptr) {
            mpv_set_wakeup_callback(m_handle, nullptr, nullptr);
            mpv_terminate_destroy(m_handle);
            m_handle = nullptr;
        }
    }

private:
    mpv_handle* m_handle = nullptr;
};
