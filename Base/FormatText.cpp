#include "Base/FormatText.h"

#include "Base/Exceptions.h"
#include "Platform/Locale.h"

namespace {

[[noreturn]] void RaiseBadFormat(std::u16string_view format) {
    throw EConvertError(u"Invalid format text or argument: '" + std::u16string(format) + u"'");
}

} // namespace

std::u16string FormatText(std::u16string_view format, std::initializer_list<TFormatArg> args) {
    std::u16string out;
    const TFormatArg* next = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != u'%') {
            out.push_back(format[i]);
            continue;
        }
        if (++i == format.size())
            RaiseBadFormat(format);
        const char16_t kind = format[i];
        if (kind == u'%') {
            out.push_back(u'%');
            continue;
        }
        if (next == args.end())
            RaiseBadFormat(format);
        const TFormatArg& arg = *next++;
        if (kind == u's' && arg.IsText())
            out += arg.Text();
        else if (kind == u'd' && !arg.IsText())
            out += Platform::Utf8ToUtf16(std::to_string(arg.Integer()));
        else
            RaiseBadFormat(format);
    }
    return out;
}
