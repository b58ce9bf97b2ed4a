// Icons on POSIX: an icon is a record holding its image; the handle is the record's address,
// valid while the record is in the live set. A window holds its icons' handles as properties of
// its QWindow and shows them as the window's icon.
#include "Platform/Icons.h"
#include "Platform/qt/WindowHandle.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QVariant>

#include <climits>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace Platform {

namespace {

struct TIconRecord {
    QImage Image;
};

// The live icons, by handle.
class TIconTable {
public:
    HICON Add(QImage image) {
        auto record = std::make_unique<TIconRecord>(TIconRecord{std::move(image)});
        auto handle = reinterpret_cast<HICON>(record.get());
        std::lock_guard lock(FMutex);
        FIcons.emplace(handle, std::move(record));
        return handle;
    }
    bool Remove(HICON icon) {
        std::lock_guard lock(FMutex);
        return FIcons.erase(icon) != 0;
    }
    std::size_t Count() {
        std::lock_guard lock(FMutex);
        return FIcons.size();
    }
    // A copy of the icon's image; null image for a handle that is no live icon.
    QImage Image(HICON icon) {
        std::lock_guard lock(FMutex);
        auto found = FIcons.find(icon);
        return found == FIcons.end() ? QImage() : found->second->Image;
    }

private:
    std::mutex FMutex;
    std::unordered_map<HICON, std::unique_ptr<TIconRecord>> FIcons;
};

TIconTable& Icons() {
    static TIconTable table;
    return table;
}

HICON MakeIcon(QImage image) {
    return image.isNull() ? nullptr : Icons().Add(std::move(image));
}

const char* PropertyName(TIconKind kind) {
    return kind == TIconKind::Small ? "corvane.icon.small" : "corvane.icon.big";
}

HICON HeldIcon(const QWindow& window, TIconKind kind) {
    return reinterpret_cast<HICON>(window.property(PropertyName(kind)).value<quintptr>());
}

// Shows the window's held icons (those still alive) as its icon.
void ShowHeldIcons(QWindow& window) {
    QIcon shown;
    for (TIconKind kind : {TIconKind::Small, TIconKind::Big}) {
        const QImage image = Icons().Image(HeldIcon(window, kind));
        if (!image.isNull())
            shown.addPixmap(QPixmap::fromImage(image));
    }
    window.setIcon(shown);
}

} // namespace

HICON CreateIconFromImageData(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size == 0 || size > static_cast<std::size_t>(INT_MAX))
        return nullptr;
    return MakeIcon(QImage::fromData(data, static_cast<int>(size)));
}

HICON CreateIconFromFile(std::u16string_view path) {
    return MakeIcon(QImage(QString::fromUtf16(path.data(), static_cast<qsizetype>(path.size()))));
}

bool DestroyIcon(HICON icon) {
    return icon != nullptr && Icons().Remove(icon);
}

std::size_t LiveIconCount() {
    return Icons().Count();
}

bool IconSize(HICON icon, int& width, int& height) {
    const QImage image = Icons().Image(icon);
    if (image.isNull())
        return false;
    width = image.width();
    height = image.height();
    return true;
}

HICON SendSetIconMessage(HWND window, TIconKind kind, HICON icon) {
    QWindow* target = WindowOfHandle(window);
    if (target == nullptr)
        return nullptr;
    const HICON previous = HeldIcon(*target, kind);
    target->setProperty(PropertyName(kind), QVariant::fromValue(reinterpret_cast<quintptr>(icon)));
    ShowHeldIcons(*target);
    return previous;
}

HICON WindowIcon(HWND window, TIconKind kind) {
    QWindow* target = WindowOfHandle(window);
    return target == nullptr ? nullptr : HeldIcon(*target, kind);
}

} // namespace Platform
