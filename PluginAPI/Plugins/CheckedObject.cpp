#include "PluginAPI/Plugins/CheckedObject.h"

#include "Platform/Locale.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr std::size_t DebugTagLimit = 99;

std::u16string Widen(std::string_view ascii) {
    return Platform::Utf8ToUtf16(ascii);
}

} // namespace

std::string TCheckedInterfacedObject::DebugTag() const {
    char buffer[DebugTagLimit + 1];
    std::snprintf(buffer, sizeof buffer, "[$%.8jX] %s",
                  static_cast<std::uintmax_t>(
                      reinterpret_cast<std::uintptr_t>(dynamic_cast<const void*>(this))),
                  ClassName());
    return buffer;
}

LONG TCheckedInterfacedObject::CheckedAddRef() {
    if (FRefCount.load() < 0)
        throw ECheckedInterfacedObjectUseDeletedError(u"Usage attempt with just deleted object %s",
                                                      {Widen(DebugTag())});
    return ++FRefCount;
}

LONG TCheckedInterfacedObject::CheckedRelease() {
    const LONG count = --FRefCount;
    if (count == 0)
        Free();
    return count;
}

void TCheckedInterfacedObject::Free() {
    BeforeDestruction();
    delete this;
}

HRESULT TCheckedInterfacedObject::SafeCallException(const Exception* e) {
    return HandleSafeCallException(ClassName(), e);
}

void TCheckedInterfacedObject::AfterConstruction() {
    --FRefCount;
}

void TCheckedInterfacedObject::BeforeDestruction() {
    const LONG count = FRefCount.load();
    if (count < 0)
        throw ECheckedInterfacedObjectDoubleFreeError(
            u"Object deletion attempt with just deleted one %s", {Widen(DebugTag())});
    if (count > 0)
        throw ECheckedInterfacedObjectDeleteError(
            u"Object deletion attempt %s with active interface link; counter: %d",
            {Widen(DebugTag()), count});
    FRefCount.store(-1);
}

HRESULT TCheckedInterfacedObject::BoundaryQueryInterface(void* found, void** object) noexcept {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (found == nullptr)
        return E_NOINTERFACE;
    const HRESULT status = SafeCall(*this, [this] { CheckedAddRef(); });
    if (SUCCEEDED(status))
        *object = found;
    return status;
}

LONG TCheckedInterfacedObject::BoundaryAddRef() noexcept {
    LONG count = 0;
    if (FAILED(SafeCall(*this, [&] { count = CheckedAddRef(); })))
        return RefCount();
    return count;
}

LONG TCheckedInterfacedObject::BoundaryRelease() noexcept {
    LONG count = 0;
    if (FAILED(SafeCall(*this, [&] { count = CheckedRelease(); })))
        return RefCount();
    return count;
}
