#include "app/failure_rows.h"

#include <string>

#include "values/conversions.h"
#include "values/literal.h"

namespace qimbra {

namespace {

void AppendLine(std::string& text, const FailureRow& row) {
    for (size_t i = 0; i < row.size(); ++i) {
        if (i > 0) text += '\t';
        // A tab or line break inside a cell would break the columns; in code
        // page 936 these bytes are never part of a two-byte character.
        for (const char byte : row[i].bytes()) text += byte == '\t' || byte == '\n' || byte == '\r' ? ' ' : byte;
    }
    text += '\n';
}

}  // namespace

const FailureRow& FailureHeaders() {
    static const FailureRow headers = {Cp936("组"), Cp936("图片"), Cp936("地址"), Cp936("原因")};
    return headers;
}

FailureRow FailureRowOf(const RunFailure& failure) {
    static const Text kEntryPage = Cp936("组页面");
    return {failure.entry_title, failure.image_number == 0 ? kEntryPage : ToText(failure.image_number), failure.address,
            failure.reason};
}

Text FailureListText(const std::vector<RunFailure>& failures) {
    std::string text;
    AppendLine(text, FailureHeaders());
    for (const RunFailure& failure : failures) AppendLine(text, FailureRowOf(failure));
    return Text(text);
}

}  // namespace qimbra
