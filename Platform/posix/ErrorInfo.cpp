// The per-thread error information: an error object that is filled through ICreateErrorInfo
// and read through IErrorInfo, and one current record per thread.
#include "Platform/ErrorInfo.h"

#include "Platform/SysString.h"

#include <atomic>
#include <new>
#include <string>

namespace {

// One error record. Both interfaces share the reference count; IInterface is the
// ICreateErrorInfo side, so identity comparisons see one object.
class TErrorObject final : public ICreateErrorInfo, public IErrorInfo {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (iid == IID_IInterface || iid == IID_ICreateErrorInfo)
            *object = static_cast<ICreateErrorInfo*>(this);
        else if (iid == IID_IErrorInfo)
            *object = static_cast<IErrorInfo*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    LONG AddRef() override { return ++FRefCount; }
    LONG Release() override {
        const LONG count = --FRefCount;
        if (count == 0)
            delete this;
        return count;
    }

    HRESULT SetGUID(REFGUID guid) override {
        FGuid = guid;
        return S_OK;
    }
    HRESULT SetSource(LPCOLESTR source) override { return Assign(FSource, source); }
    HRESULT SetDescription(LPCOLESTR description) override {
        return Assign(FDescription, description);
    }
    HRESULT SetHelpFile(LPCOLESTR helpFile) override { return Assign(FHelpFile, helpFile); }
    HRESULT SetHelpContext(DWORD helpContext) override {
        FHelpContext = helpContext;
        return S_OK;
    }

    HRESULT GetGUID(GUID* guid) override {
        if (guid == nullptr)
            return E_POINTER;
        *guid = FGuid;
        return S_OK;
    }
    HRESULT GetSource(BSTR* source) override { return Copy(FSource, source); }
    HRESULT GetDescription(BSTR* description) override { return Copy(FDescription, description); }
    HRESULT GetHelpFile(BSTR* helpFile) override { return Copy(FHelpFile, helpFile); }
    HRESULT GetHelpContext(DWORD* helpContext) override {
        if (helpContext == nullptr)
            return E_POINTER;
        *helpContext = FHelpContext;
        return S_OK;
    }

private:
    ~TErrorObject() = default;

    // Texts arrive null-terminated; null is the empty text.
    static HRESULT Assign(std::u16string& field, LPCOLESTR text) {
        try {
            field = text == nullptr ? std::u16string() : std::u16string(text);
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    // A new system string for the caller; the empty text is returned as an empty string.
    static HRESULT Copy(const std::u16string& field, BSTR* result) {
        if (result == nullptr)
            return E_POINTER;
        *result = SysStringFrom(field);
        return *result == nullptr ? E_OUTOFMEMORY : S_OK;
    }

    std::atomic<LONG> FRefCount{1};
    GUID FGuid{};
    std::u16string FSource;
    std::u16string FDescription;
    std::u16string FHelpFile;
    DWORD FHelpContext = 0;
};

// The thread's current record; released when the thread ends.
class TThreadErrorInfo {
public:
    TThreadErrorInfo() = default;
    TThreadErrorInfo(const TThreadErrorInfo&) = delete;
    TThreadErrorInfo& operator=(const TThreadErrorInfo&) = delete;
    ~TThreadErrorInfo() { Replace(nullptr); }

    void Replace(IErrorInfo* info) {
        IErrorInfo* previous = FInfo;
        FInfo = info;
        if (previous != nullptr)
            previous->Release();
    }
    IErrorInfo* Take() {
        IErrorInfo* info = FInfo;
        FInfo = nullptr;
        return info;
    }

private:
    IErrorInfo* FInfo = nullptr;
};

thread_local TThreadErrorInfo ThreadErrorInfo;

} // namespace

HRESULT CreateErrorInfo(ICreateErrorInfo** result) {
    if (result == nullptr)
        return E_POINTER;
    *result = new (std::nothrow) TErrorObject();
    return *result == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT SetErrorInfo(ULONG /*reserved*/, IErrorInfo* info) {
    if (info != nullptr)
        info->AddRef();
    ThreadErrorInfo.Replace(info);
    return S_OK;
}

HRESULT GetErrorInfo(ULONG /*reserved*/, IErrorInfo** result) {
    if (result == nullptr)
        return E_POINTER;
    *result = ThreadErrorInfo.Take();
    return *result == nullptr ? S_FALSE : S_OK;
}
