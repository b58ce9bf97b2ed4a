// ErrorInfo: the per-thread error information that accompanies a failing status.
//
// One record per thread with five fields (GUID, source, description, help file, help context).
// CreateErrorInfo makes a new record to fill through ICreateErrorInfo; SetErrorInfo makes a
// record the thread's current one (replacing any); GetErrorInfo takes the current record away
// (S_FALSE and null when there is none). On POSIX these are the shared platform runtime's, with
// the Windows names and C linkage, so the host and the plug-in see the same thread record.
#pragma once

#include "PlatformTypes.h"

#if !defined(_WIN32)
#include "Platform/Interface.h"

// {22F03340-547D-101B-8E65-08002B2BD119}
struct ICreateErrorInfo : IInterface {
    virtual HRESULT PLUGIN_STDCALL SetGUID(REFGUID guid) = 0;
    virtual HRESULT PLUGIN_STDCALL SetSource(LPCOLESTR source) = 0;
    virtual HRESULT PLUGIN_STDCALL SetDescription(LPCOLESTR description) = 0;
    virtual HRESULT PLUGIN_STDCALL SetHelpFile(LPCOLESTR helpFile) = 0;
    virtual HRESULT PLUGIN_STDCALL SetHelpContext(DWORD helpContext) = 0;

protected:
    ~ICreateErrorInfo() = default;
};

// {1CF2B120-547D-101B-8E65-08002B2BD119}
struct IErrorInfo : IInterface {
    virtual HRESULT PLUGIN_STDCALL GetGUID(GUID* guid) = 0;
    virtual HRESULT PLUGIN_STDCALL GetSource(BSTR* source) = 0;
    virtual HRESULT PLUGIN_STDCALL GetDescription(BSTR* description) = 0;
    virtual HRESULT PLUGIN_STDCALL GetHelpFile(BSTR* helpFile) = 0;
    virtual HRESULT PLUGIN_STDCALL GetHelpContext(DWORD* helpContext) = 0;

protected:
    ~IErrorInfo() = default;
};

constexpr IID IID_ICreateErrorInfo = {
    0x22F03340, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
constexpr IID IID_IErrorInfo = {
    0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};

CORVANE_PLATFORM_API HRESULT CreateErrorInfo(ICreateErrorInfo** result);
CORVANE_PLATFORM_API HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* info);
CORVANE_PLATFORM_API HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** result);
#endif
