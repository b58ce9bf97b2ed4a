// The system's message texts and the tick counter on Win32: FormatMessage (with the generic
// COM texts where the system's table lacks them, as Wine's does) and GetTickCount.
#include "Platform/System.h"

#include "Platform/GenericStatusTexts.h"
#include "Platform/win32/WideText.h"

namespace Platform {

namespace Win32 {

std::u16string MessageText(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr)
        return {};
    std::wstring_view text(buffer, length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.remove_suffix(1);
    std::u16string result = FromWide(text);
    LocalFree(buffer);
    return result;
}

} // namespace Win32

std::u16string SystemMessageText(HRESULT status) {
    std::u16string text = Win32::MessageText(static_cast<unsigned long>(status));
    return text.empty() ? GenericStatusText(status) : text;
}

std::uint32_t TickCount() {
    return GetTickCount();
}

} // namespace Platform
