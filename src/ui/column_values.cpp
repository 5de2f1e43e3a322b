#include "ui/column_values.h"

#include <QLocale>
#include <algorithm>
#include <array>
#include <charconv>

#include "purchase/price.h"

namespace ui {
namespace {

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<int> Number(std::string_view text, size_t minDigits, size_t maxDigits) {
    if (text.size() < minDigits || text.size() > maxDigits) return std::nullopt;
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<int> MonthNumber(std::string_view text) {
    if (auto n = Number(text, 1, 2)) return n;
    static constexpr std::array<std::string_view, 12> kMonths = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (text.size() != 3) return std::nullopt;
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(c | 0x20); });
    auto it = std::find(kMonths.begin(), kMonths.end(), lower);
    if (it == kMonths.end()) return std::nullopt;
    return static_cast<int>(it - kMonths.begin()) + 1;
}

}  // namespace

std::optional<qint64> SizeBytes(std::string_view text) {
    text = Trimmed(text);
    // Eighteen digits stay below qint64's limit.
    if (text.empty() || text.size() > 18 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    qint64 value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

QString HumanSize(qint64 bytes) {
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

QString ExactSize(qint64 bytes) {
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return QStringLiteral("%1 bytes").arg(locale.toString(bytes));
}

std::optional<int> DateKey(std::string_view text) {
    text = Trimmed(text);
    const size_t first = text.find('/');
    const size_t second = first == std::string_view::npos ? first : text.find('/', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const auto month = MonthNumber(text.substr(0, first));
    const auto day = Number(text.substr(first + 1, second - first - 1), 1, 2);
    const std::string_view yearText = text.substr(second + 1);
    auto year = Number(yearText, 2, 4);
    if (!month || !day || !year || *month < 1 || *month > 12 || *day < 1 || *day > 31 ||
        yearText.size() == 3)
        return std::nullopt;
    if (yearText.size() == 2) *year += *year < 70 ? 2000 : 1900;
    return *year * 10000 + *month * 100 + *day;
}

QString PriceText(std::string_view text) {
    const std::optional<std::uint32_t> cents = purchase::ParseCents(text);
    if (!cents || *cents == 0)
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return QStringLiteral("$") + QString::fromStdString(purchase::CentsText(*cents));
}

}  // namespace ui
