#pragma once
// Owning COM interface pointer: releases what it holds, and put() releases the
// old pointer before handing out its address, so an out-parameter never leaks.

#include <unknwn.h>

#include <utility>

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference to an existing pointer.
    explicit ComPtr(T* p) : ptr_(p) { if (ptr_) ptr_->AddRef(); }
    ComPtr(const ComPtr& other) : ptr_(other.ptr_) { if (ptr_) ptr_->AddRef(); }
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(ptr_, other.ptr_);
        return *this;
    }

    // Adopts a pointer whose reference the caller already owns.
    static ComPtr attach(T* p) {
        ComPtr result;
        result.ptr_ = p;
        return result;
    }

    T* get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }

    T** put() {
        reset();
        return &ptr_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    T* detach() { return std::exchange(ptr_, nullptr); }

    void reset() {
        if (T* p = std::exchange(ptr_, nullptr)) p->Release();
    }

    // QueryInterface into another smart pointer; empty on failure.
    template <typename U>
    ComPtr<U> as() const {
        ComPtr<U> result;
        if (ptr_) ptr_->QueryInterface(__uuidof(U), result.putVoid());
        return result;
    }

private:
    T* ptr_ = nullptr;
};
