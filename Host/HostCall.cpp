#include "Host/HostCall.h"

#include "Host/HostError.h"
#include "Platform/Locale.h"

#include "Platform/ErrorInfo.h"
#include "PluginAPI/StatusCodes.h"

#include <new>

namespace RefHost {

HRESULT THostCalls::Fail(HRESULT status, std::string_view description) {
    ICreateErrorInfo* create = nullptr;
    if (CreateErrorInfo(&create) < 0 || create == nullptr)
        return status;
    const std::u16string text = Platform::Utf8ToUtf16(description);
    create->SetGUID(GUID{});
    create->SetSource(u"refhost");
    create->SetDescription(text.c_str());
    IErrorInfo* info = nullptr;
    if (create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)) >= 0 && info) {
        SetErrorInfo(0, info);
        info->Release();
    }
    create->Release();
    return status;
}

HRESULT THostCalls::Failed() noexcept {
    try {
        throw;
    } catch (const ENullResultPointer& e) {
        return Fail(E_POINTER, e.what());
    } catch (const EHostError& e) {
        return Fail(ClassErrorCode(e.ClassName()), e.what());
    } catch (const std::bad_alloc&) {
        return Fail(E_OUTOFMEMORY, "Out of memory");
    } catch (const std::exception& e) {
        return Fail(E_FAIL, e.what());
    } catch (...) {
        return Fail(E_FAIL, "Unknown failure");
    }
}

} // namespace RefHost
