#include "Services.h"

namespace zendra::tk {

void IFileDialog::ShowOpen() {
    std::optional<std::wstring> chosen = AskOpen();
    if (chosen) {
        fileName_ = *chosen;
    } else if (cancelError_) {
        throw Failure::Cancelled();
    }
}

std::vector<std::pair<std::wstring, std::wstring>> IFileDialog::ParseFilter(const std::wstring& filter) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t bar = filter.find(L'|', start);
        parts.push_back(filter.substr(start, bar == std::wstring::npos ? bar : bar - start));
        if (bar == std::wstring::npos) break;
        start = bar + 1;
    }
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        const std::wstring& description = parts[i];
        const std::wstring& pattern = i + 1 < parts.size() ? parts[i + 1] : parts[i];
        if (description.empty() && pattern.empty()) continue;
        pairs.emplace_back(description, pattern.empty() ? description : pattern);
    }
    return pairs;
}

} // namespace zendra::tk
