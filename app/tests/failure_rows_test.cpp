#include "app/failure_rows.h"

#include <gtest/gtest.h>

#include "values/literal.h"

namespace qimbra {
namespace {

TEST(FailureRows, RowsAndTheTextToCopy) {
    const std::vector<RunFailure> failures = {
        {.entry_title = Cp936("坏"),
         .image_number = 0,
         .address = Text("https://p/1.html"),
         .reason = Text("HTTP 500")},
        {.entry_title = Cp936("好\t坏\n"),
         .image_number = 12,
         .address = Text("https://i/a.jpeg"),
         .reason = Cp936("不是图片")},
    };
    EXPECT_EQ(FailureRowOf(failures[0]),
              (FailureRow{Cp936("坏"), Cp936("组页面"), Text("https://p/1.html"), Text("HTTP 500")}));
    EXPECT_EQ(FailureRowOf(failures[1])[1], Text("12"));
    EXPECT_EQ(FailureListText(failures), Cp936("组\t图片\t地址\t原因\n"
                                               "坏\t组页面\thttps://p/1.html\tHTTP 500\n"
                                               "好 坏 \t12\thttps://i/a.jpeg\t不是图片\n"));
    EXPECT_EQ(FailureListText({}), Cp936("组\t图片\t地址\t原因\n"));
}

}  // namespace
}  // namespace qimbra
