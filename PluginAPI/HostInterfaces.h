// HostInterfaces: the host application's services as the plug-in calls them, and the contract
// every host honours.
//
// Every interface is obtained by QueryInterface on the ICore handed to the entry function;
// IApplicationIcons is optional, the others are always offered. Every operation returns a
// status: negative is a failure, and the host then sets the thread's error information (its
// description is the text to show). A failure of a class the host names is the status of that
// class name (PluginAPI/StatusCodes.h); the host's SQL service reports its failures as
// "EDatabaseError". The plug-in raises every failing status (CheckHostStatus) and never reads
// an out value after one.
//
// Text arguments are borrowed system strings; text results are allocated by the host and freed
// by the caller. Flags are 32-bit: zero is false and any other value true; a host returns true
// as -1 (every bit set), so a caller tests for non-zero, never for 1. The comment at each
// operation gives its slot number (slots 0 to 2 are IInterface's). Destructors are protected
// and non-virtual: an interface is never deleted through, and takes no table slot. Every call
// is made on the host's thread.
#pragma once

#include "PluginAPI/IInterface.h"

struct INotifyEvent;

// {2E4C1D23-873E-494D-B628-65BCC0A547A7}. GetVersion: the host's version as one integer
// (for example 104019 for 1.4.19); the plug-in refuses a core older than it was built for.
struct ICore : IInterface {
    virtual HRESULT PLUGIN_STDCALL GetVersion(LONG* version) = 0; // 3

protected:
    ~ICore() = default;
};

// {2EE5EF53-6EA9-4537-A7C3-233ED9D39108}. GetApplicationHandle: the host's main window, the
// owner of the plug-in's windows. BeginModal before a plug-in window shows modally, EndModal
// after it closes, however it closed (also when the display failed after BeginModal succeeded).
struct IApplicationWindows : IInterface {
    virtual HRESULT PLUGIN_STDCALL GetApplicationHandle(HWND* handle) = 0; // 3
    PLUGIN_RESERVED_SLOT(4);
    PLUGIN_RESERVED_SLOT(5);
    PLUGIN_RESERVED_SLOT(6);
    PLUGIN_RESERVED_SLOT(7);
    virtual HRESULT PLUGIN_STDCALL BeginModal() = 0; // 8
    virtual HRESULT PLUGIN_STDCALL EndModal() = 0;   // 9
    PLUGIN_RESERVED_SLOT(10);
    PLUGIN_RESERVED_SLOT(11);

protected:
    ~IApplicationWindows() = default;
};

// {2EF25A6A-F584-469C-B9F1-AA35EA04CC40}; optional. The plug-in never frees these icons.
struct IApplicationIcons : IInterface {
    virtual HRESULT PLUGIN_STDCALL GetSmallIcon(HICON* icon) = 0; // 3
    virtual HRESULT PLUGIN_STDCALL GetLargeIcon(HICON* icon) = 0; // 4

protected:
    ~IApplicationIcons() = default;
};

// {37138407-0C6F-448B-B184-34F1CD638B85}: one command in the host's menu. GetEnabled: non-zero
// when the item may be chosen. SetOnClick: the listener whose Notify runs when the item is
// chosen (the host holds it until the item is removed).
struct IMenuItem : IInterface {
    PLUGIN_RESERVED_SLOT(3);
    PLUGIN_RESERVED_SLOT(4);
    virtual HRESULT PLUGIN_STDCALL GetEnabled(LONG* enabled) = 0; // 5
    PLUGIN_RESERVED_SLOT(6);
    PLUGIN_RESERVED_SLOT(7);
    virtual HRESULT PLUGIN_STDCALL SetCaption(BSTR caption) = 0;     // 8
    virtual HRESULT PLUGIN_STDCALL SetShortCut(LONG shortCut) = 0;   // 9
    virtual HRESULT PLUGIN_STDCALL SetImageIndex(LONG index) = 0;    // 10
    virtual HRESULT PLUGIN_STDCALL SetHint(BSTR hint) = 0;           // 11
    virtual HRESULT PLUGIN_STDCALL SetCategory(LONG category) = 0;   // 12
    virtual HRESULT PLUGIN_STDCALL SetOnClick(INotifyEvent* ev) = 0; // 13

protected:
    ~IMenuItem() = default;
};

// {32FBAF60-BCD8-444E-BD14-E86726041CD1}. CreateMenuItem: a new item in the host's menu.
struct IMenuManager : IInterface {
    virtual HRESULT PLUGIN_STDCALL CreateMenuItem(IMenuItem** item) = 0; // 3
    // Takes the caller's variable by reference; the host may release and clear it.
    virtual HRESULT PLUGIN_STDCALL RemoveMenuItem(IMenuItem** item) = 0; // 4

protected:
    ~IMenuManager() = default;
};

// {4188E8AA-AC3A-4398-BECF-2B644474BED4}
//
// WriteLog: one line in the host's journal. ShowMessage: the text shown to the user in a
// message box with the caption. ExecuteCommand: the host runs a command; "REFRESH" with the
// parameter "0" refreshes the host's views of the open log (the plug-in sends it after it has
// changed the log). A command the host does not know is a failing status.
//
// GetValue: the host value of that name, as a new text. A name the host does not know is a
// failing status. The names and what they hold:
//   "APPPATH"       the application's folder, no trailing separator
//   "APPNAME"       the application's name, for messages
//   "APPINI"        the full path of the host's settings file
//   "DOWNLOAD"      the download folder, no trailing separator
//   "PLUGIN.NAME"   the plug-in's file name
//   "LOG.NAME"      the open log's display name
//   "LOG.TABLE"     the open log's key: its value of column LOGNAME in table LOGS
//   "LOG.OPERATOR"  the operator's call sign
struct IHostKernel : IInterface {
    virtual HRESULT PLUGIN_STDCALL WriteLog(BSTR line) = 0;                  // 3
    virtual HRESULT PLUGIN_STDCALL ShowMessage(BSTR text, BSTR caption) = 0; // 4
    PLUGIN_RESERVED_SLOT(5);
    PLUGIN_RESERVED_SLOT(6);
    PLUGIN_RESERVED_SLOT(7);
    PLUGIN_RESERVED_SLOT(8);
    virtual HRESULT PLUGIN_STDCALL ExecuteCommand(BSTR command, BSTR parameter) = 0; // 9
    virtual HRESULT PLUGIN_STDCALL GetValue(BSTR name, BSTR* value) = 0;             // 10

protected:
    ~IHostKernel() = default;
};

// {3ECC8EDB-00C3-42E6-9F83-CC066A5B194C}: SQL over the host's logbook.
//
// The dialect. Text literals in single quotes, an inner quote doubled ('O''Brien'). Date-time
// literals between # signs: #yyyy-mm-dd# or #yyyy-mm-dd hh:mm# (24-hour clock). Boolean
// literals TRUE and FALSE. SELECT with columns, COUNT(*), MIN and MAX and AS aliases, FROM one
// table, an optional WHERE; UPDATE <table> SET <column>=<literal>, ... with an optional WHERE.
// A condition is comparisons (=, <, <=) joined by AND, with a column or a literal on either
// side. A statement outside the dialect is a failing status. Table LOGS holds the QSOs, among
// its columns: LOGNAME (text, the owning log's key), QSODATE (date-time), OMCALL, QSOBAND,
// QSOMODE, IOTA, GRIDSQUARE (text), LOTWSENT, LOTWRCVD (Boolean), LOTWRCVDDATE (date).
//
// RecordExists: `exists` non-zero when a row of `table` meets `condition` (a condition without
// the word WHERE).
//
// A query handle's life: CreateQuery gives a new handle. OpenQuery runs a SELECT through it and
// makes the first result row the current one (a result without rows has none). The field reads
// take a column name of that result and set `present` non-zero when the current row holds a
// value there; when it holds NULL, or there is no current row, `present` is 0 and the value
// is not to be used. GetBooleanField answers true as non-zero; GetDateTimeField gives the parts of
// the stored date and time. CloseQuery ends the result; the handle can then be opened again, any
// number of times. FreeQuery ends the handle, and a query still open on it; the handle is not used
// after that. ExecuteSQL may be called while a query is open.
//
// A unit of work: the log changes through a query handle as one unit. The first statement that
// writes while a handle is live (an ExecuteSQL between its CreateQuery and its FreeQuery)
// begins the handle's unit of work; FreeQuery commits it, and only then do other readers see
// the changes. The unit rolls back, leaving the log as it was before it began, when any
// operation on that handle, or any statement of its unit, returned a failing status or the host's
// process ends first.
//
// ExecuteSQL: `executed` is non-zero when the statement ran. It is 0 ("not executed") only for
// a refusal confined to that one statement, such as a constraint; a database that is locked,
// read-only, full or damaged is a failing status carrying the database's own description.
struct IHostServer : IInterface {
    PLUGIN_RESERVED_SLOT(3);
    virtual HRESULT PLUGIN_STDCALL RecordExists(BSTR table, BSTR condition, LONG* exists) = 0; // 4
    PLUGIN_RESERVED_SLOT(5);
    virtual HRESULT PLUGIN_STDCALL CreateQuery(LONG* handle) = 0;        // 6
    virtual HRESULT PLUGIN_STDCALL OpenQuery(LONG handle, BSTR sql) = 0; // 7
    PLUGIN_RESERVED_SLOT(8);
    PLUGIN_RESERVED_SLOT(9);
    PLUGIN_RESERVED_SLOT(10);
    PLUGIN_RESERVED_SLOT(11);
    PLUGIN_RESERVED_SLOT(12);
    PLUGIN_RESERVED_SLOT(13);
    PLUGIN_RESERVED_SLOT(14);
    PLUGIN_RESERVED_SLOT(15);
    PLUGIN_RESERVED_SLOT(16);
    virtual HRESULT PLUGIN_STDCALL GetIntegerField(LONG handle, BSTR column, LONG* value,
                                                   LONG* present) = 0; // 17
    PLUGIN_RESERVED_SLOT(18);
    virtual HRESULT PLUGIN_STDCALL GetBooleanField(LONG handle, BSTR column, LONG* value,
                                                   LONG* present) = 0; // 19
    virtual HRESULT PLUGIN_STDCALL GetDateTimeField(LONG handle, BSTR column, std::uint16_t* year,
                                                    std::uint16_t* month, std::uint16_t* day,
                                                    std::uint16_t* hour, std::uint16_t* minute,
                                                    std::uint16_t* second, LONG* present) = 0; // 20
    PLUGIN_RESERVED_SLOT(21);
    virtual HRESULT PLUGIN_STDCALL CloseQuery(LONG handle) = 0;                    // 22
    virtual HRESULT PLUGIN_STDCALL FreeQuery(LONG handle) = 0;                     // 23
    virtual HRESULT PLUGIN_STDCALL ExecuteSQL(BSTR statement, LONG* executed) = 0; // 24

protected:
    ~IHostServer() = default;
};

constexpr IID IID_ICore = {
    0x2E4C1D23, 0x873E, 0x494D, {0xB6, 0x28, 0x65, 0xBC, 0xC0, 0xA5, 0x47, 0xA7}};
constexpr IID IID_IApplicationWindows = {
    0x2EE5EF53, 0x6EA9, 0x4537, {0xA7, 0xC3, 0x23, 0x3E, 0xD9, 0xD3, 0x91, 0x08}};
constexpr IID IID_IApplicationIcons = {
    0x2EF25A6A, 0xF584, 0x469C, {0xB9, 0xF1, 0xAA, 0x35, 0xEA, 0x04, 0xCC, 0x40}};
constexpr IID IID_IMenuManager = {
    0x32FBAF60, 0xBCD8, 0x444E, {0xBD, 0x14, 0xE8, 0x67, 0x26, 0x04, 0x1C, 0xD1}};
constexpr IID IID_IMenuItem = {
    0x37138407, 0x0C6F, 0x448B, {0xB1, 0x84, 0x34, 0xF1, 0xCD, 0x63, 0x8B, 0x85}};
constexpr IID IID_IHostKernel = {
    0x4188E8AA, 0xAC3A, 0x4398, {0xBE, 0xCF, 0x2B, 0x64, 0x44, 0x74, 0xBE, 0xD4}};
constexpr IID IID_IHostServer = {
    0x3ECC8EDB, 0x00C3, 0x42E6, {0x9F, 0x83, 0xCC, 0x06, 0x6A, 0x5B, 0x19, 0x4C}};
