#pragma once

#include <QString>
#include <string_view>

namespace tavix::ui {

// UTF-8 text of the layers below as the widgets take it.
inline QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace tavix::ui
