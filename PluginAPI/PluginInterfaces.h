// PluginInterfaces: the interfaces a plug-in offers the host, and the library's two exports.
#pragma once

#include "PluginAPI/IInterface.h"

struct ICore;

// {E55338C1-631A-424D-ACF7-863C9D4CADA1}: the host calls Shutdown before it lets go.
struct IDestroyNotify : IInterface {
    virtual HRESULT PLUGIN_STDCALL Shutdown() = 0; // 3

protected:
    ~IDestroyNotify() = default;
};

// {16AB27D6-DD64-4CCE-B3E5-ECBCE7C7401A}: the plug-in's identity. Text results are new
// system strings owned by the caller.
struct IPlugin : IInterface {
    virtual HRESULT PLUGIN_STDCALL GetID(GUID* id) = 0;            // 3
    virtual HRESULT PLUGIN_STDCALL GetName(BSTR* name) = 0;        // 4
    virtual HRESULT PLUGIN_STDCALL GetVersion(BSTR* version) = 0;  // 5
    virtual HRESULT PLUGIN_STDCALL GetCategory(LONG* category) = 0; // 6
    virtual HRESULT PLUGIN_STDCALL GetCopyright(BSTR* text) = 0;   // 7
    virtual HRESULT PLUGIN_STDCALL GetHomePage(BSTR* address) = 0; // 8
    virtual HRESULT PLUGIN_STDCALL GetEmail(BSTR* address) = 0;    // 9

protected:
    ~IPlugin() = default;
};

// {A6435676-ACE3-4A28-8358-720CEA495FFA}: a click listener the host calls for a menu item.
struct INotifyEvent : IInterface {
    virtual HRESULT PLUGIN_STDCALL Notify(IInterface* sender) = 0; // 3

protected:
    ~INotifyEvent() = default;
};

constexpr IID IID_IDestroyNotify = {
    0xE55338C1, 0x631A, 0x424D, {0xAC, 0xF7, 0x86, 0x3C, 0x9D, 0x4C, 0xAD, 0xA1}};
constexpr IID IID_IPlugin = {
    0x16AB27D6, 0xDD64, 0x4CCE, {0xB3, 0xE5, 0xEC, 0xBC, 0xE7, 0xC7, 0x40, 0x1A}};
constexpr IID IID_INotifyEvent = {
    0xA6435676, 0xACE3, 0x4A28, {0x83, 0x58, 0x72, 0x0C, 0xEA, 0x49, 0x5F, 0xFA}};

// The exported names: the entry function takes the host's core (borrowed) and stores the
// plug-in's IPlugin with one reference; the _done function returns 0 and does nothing else.
#define PLUGIN_ENTRY_NAME "983BEDA12B2347028D99FF042C551640"
#define PLUGIN_DONE_NAME "983BEDA12B2347028D99FF042C551640_done"

using TPluginEntryFunction = HRESULT(PLUGIN_STDCALL*)(ICore* core, IPlugin** plugin);
using TPluginDoneFunction = HRESULT(PLUGIN_STDCALL*)();
