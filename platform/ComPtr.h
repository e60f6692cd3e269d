#pragma once
// Windows only: the owner of one COM interface pointer (mingw has no ATL or WRL in our set-up).

#include <unknwn.h>

#include <cstddef>
#include <utility>

namespace corvane {

template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Adopts a reference the caller already holds, as `new` or an out-parameter hands it over.
    explicit ComPtr(T* pointer) : pointer_(pointer) {}
    ComPtr(const ComPtr& other) : pointer_(other.pointer_) {
        if (pointer_) pointer_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(pointer_, other.pointer_);
        return *this;
    }

    // Adds a reference of its own to a borrowed pointer.
    static ComPtr share(T* pointer) {
        if (pointer) pointer->AddRef();
        return ComPtr(pointer);
    }

    T* get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // For out-parameters: drops what is held and hands out the slot.
    T** put() {
        reset();
        return &pointer_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    void reset() {
        if (pointer_) std::exchange(pointer_, nullptr)->Release();
    }
    T* detach() { return std::exchange(pointer_, nullptr); }

    // The object's interface U, or null when it has none: a missing interface is no error.
    template <class U>
    ComPtr<U> as(REFIID iid) const {
        ComPtr<U> result;
        if (pointer_ && FAILED(pointer_->QueryInterface(iid, result.putVoid()))) result.reset();
        return result;
    }

  private:
    T* pointer_ = nullptr;
};

}  // namespace corvane
