#pragma once

#include <cstdint>

#include "values/text.h"
#include "web/web_request.h"

namespace qimbra {

// The short texts (code page 936) that say why a page or an image failed, and
// the notices of a run that could not start. All of them live here.

// Why an exchange gave nothing usable: "超时", "连接失败", "响应过大",
// "地址无效" for no response; "HTTP 404" for a response whose status is no
// success. Empty for a successful exchange.
[[nodiscard]] Text ExchangeFailureReason(WebFailure failure, int32_t status_code);
// A successful response with an empty body: "空内容".
[[nodiscard]] const Text& EmptyBodyReason();
// A response that is not an image: "不是图片".
[[nodiscard]] const Text& NotPictureReason();
// A file or folder that could not be written, from the system's error
// number: "写入失败：磁盘已满", "写入失败：没有写入权限",
// "写入失败：路径上有同名文件", ...
[[nodiscard]] Text WriteFailureReason(int error_number);
// The system's error number in words: "磁盘已满" for ENOSPC, "错误 5" for
// one without words of its own.
[[nodiscard]] Text ErrorWords(int error_number);

// The notice of a run whose save folder cannot take files:
// "无法写入保存目录（磁盘已满）：" + folder.
[[nodiscard]] Text SaveFolderNotice(const Text& folder, int error_number);
// The notice of a run whose archive page could not be read:
// "无法读取归档页：" + why (`reason`, or "找不到组列表" when the page lacks
// the entry list's markers).
[[nodiscard]] Text ArchiveNotice(const Text& reason);
// The reason of ArchiveNotice for a page without the list's markers.
[[nodiscard]] const Text& NoEntryListReason();

}  // namespace qimbra
