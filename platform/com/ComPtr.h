// Reference-counted component objects and the smart pointer that holds them. An interface is a
// class deriving from IUnknown; an "interface query" is a checked downcast, so asking an object
// for an interface it does not implement fails with E_NOINTERFACE as the runtime would.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "com/ComError.h"
#include "com/ComTypes.h"

struct IUnknown {
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

struct IDispatch : IUnknown {};

namespace NUVCom {

// Implements the reference count of an object; the object deletes itself at zero.
template <class... Interfaces>
class Object : public Interfaces... {
public:
    std::uint32_t AddRef() override { return ++refs_; }
    std::uint32_t Release() override {
        std::uint32_t n = --refs_;
        if (n == 0) delete this;
        return n;
    }

protected:
    Object() = default;
    ~Object() override = default;

private:
    std::atomic<std::uint32_t> refs_{0};
};

// Class factories by ProgID ("ADODB.Connection"); platform libraries register theirs at load.
using Factory = std::function<IUnknown*()>;
void RegisterClass(const std::string& progId, Factory factory);
// A new object of the class, not yet referenced, or nullptr when the class is not registered.
IUnknown* CreateObject(const std::string& progId);

}  // namespace NUVCom

template <class T>
class _com_ptr_t {
public:
    using Interface = T;

    _com_ptr_t() = default;
    _com_ptr_t(std::nullptr_t) {}
    _com_ptr_t(T* p, bool addRef = true) : p_(p) {
        if (p_ && addRef) p_->AddRef();
    }
    // Creates an instance of the class named by its ProgID; raises on failure.
    explicit _com_ptr_t(const char* progId) {
        HRESULT hr = CreateInstance(progId);
        if (FAILED(hr)) _com_issue_error(hr);
    }
    _com_ptr_t(const _com_ptr_t& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    _com_ptr_t(_com_ptr_t&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    // Interface query from another interface pointer; raises E_NOINTERFACE when unsupported.
    template <class U, class = std::enable_if_t<!std::is_same_v<U, T>>>
    _com_ptr_t(const _com_ptr_t<U>& o) {
        if (o.GetInterfacePtr()) {
            T* q = dynamic_cast<T*>(o.GetInterfacePtr());
            if (!q) _com_issue_error(E_NOINTERFACE);
            p_ = q;
            p_->AddRef();
        }
    }
    ~_com_ptr_t() { Release(); }

    _com_ptr_t& operator=(const _com_ptr_t& o) {
        if (o.p_) o.p_->AddRef();
        T* old = std::exchange(p_, o.p_);
        if (old) old->Release();
        return *this;
    }
    _com_ptr_t& operator=(_com_ptr_t&& o) noexcept {
        if (this != &o) {
            T* old = std::exchange(p_, std::exchange(o.p_, nullptr));
            if (old) old->Release();
        }
        return *this;
    }
    _com_ptr_t& operator=(T* p) {
        if (p) p->AddRef();
        T* old = std::exchange(p_, p);
        if (old) old->Release();
        return *this;
    }
    _com_ptr_t& operator=(std::nullptr_t) {
        Release();
        return *this;
    }

    HRESULT CreateInstance(const char* progId) {
        Release();
        IUnknown* u = NUVCom::CreateObject(progId ? progId : "");
        if (!u) return REGDB_E_CLASSNOTREG;
        T* q = dynamic_cast<T*>(u);
        if (!q) {
            u->AddRef();
            u->Release();
            return E_NOINTERFACE;
        }
        p_ = q;
        p_->AddRef();
        return S_OK;
    }
    // Queries the object for another interface; S_OK or E_NOINTERFACE.
    template <class U>
    HRESULT QueryInterface(U** out) const {
        if (!out) return E_POINTER;
        *out = p_ ? dynamic_cast<U*>(p_) : nullptr;
        if (!*out) return E_NOINTERFACE;
        (*out)->AddRef();
        return S_OK;
    }

    void Release() {
        if (T* old = std::exchange(p_, nullptr)) old->Release();
    }
    void Attach(T* p) {
        Release();
        p_ = p;
    }
    T* Detach() { return std::exchange(p_, nullptr); }
    T* GetInterfacePtr() const { return p_; }
    T* operator->() const {
        if (!p_) _com_issue_error(E_POINTER);
        return p_;
    }
    T& operator*() const {
        if (!p_) _com_issue_error(E_POINTER);
        return *p_;
    }
    operator T*() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    bool operator!() const { return p_ == nullptr; }
    friend bool operator==(const _com_ptr_t& a, std::nullptr_t) { return a.p_ == nullptr; }
    friend bool operator==(const _com_ptr_t& a, const _com_ptr_t& b) { return a.p_ == b.p_; }

private:
    T* p_ = nullptr;
};

using IUnknownPtr = _com_ptr_t<IUnknown>;
using IDispatchPtr = _com_ptr_t<IDispatch>;
