#include "collect/failure_reasons.h"

#include <cerrno>
#include <string>

#include "values/literal.h"
#include "values/value_ops.h"

namespace qimbra {

namespace {

struct ErrorText {
    int error_number;
    const char* words;  // UTF-8
};

// The write failures people meet, in their words.
const ErrorText kErrorTexts[] = {
    {ENOSPC, "磁盘已满"},
#ifdef EDQUOT
    {EDQUOT, "磁盘配额已满"},
#endif
    {EACCES, "没有写入权限"},
    {EPERM, "没有写入权限"},
    {EROFS, "只读文件系统"},
    {EEXIST, "路径上有同名文件"},
    {ENOTDIR, "路径上有同名文件"},
    {EISDIR, "路径上有同名文件夹"},
    {ENAMETOOLONG, "名称过长"},
    {EINVAL, "文件系统不接受此名称"},
    {EILSEQ, "文件系统不接受此名称"},
    {ENOENT, "路径不存在"},
    {EIO, "读写错误"},
};

}  // namespace

Text ExchangeFailureReason(WebFailure failure, int32_t status_code) {
    switch (failure) {
        case WebFailure::kTimeOut:
            return Cp936("超时");
        case WebFailure::kConnection:
            return Cp936("连接失败");
        case WebFailure::kTooLarge:
            return Cp936("响应过大");
        case WebFailure::kRefused:
            return Cp936("地址无效");
        case WebFailure::kCancelled:
            return Cp936("已取消");
        case WebFailure::kNone:
            break;
    }
    if (status_code >= 200 && status_code <= 299) return Text();
    return Text("HTTP " + std::to_string(status_code));
}

const Text& EmptyBodyReason() {
    static const Text text = Cp936("空内容");
    return text;
}

const Text& NotPictureReason() {
    static const Text text = Cp936("不是图片");
    return text;
}

Text ErrorWords(int error_number) {
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.error_number == error_number) return Cp936(entry.words);
    }
    return ConcatText(Cp936("错误 "), Text(std::to_string(error_number)));
}

Text WriteFailureReason(int error_number) { return ConcatText(Cp936("写入失败："), ErrorWords(error_number)); }

Text SaveFolderNotice(const Text& folder, int error_number) {
    return ConcatText(Cp936("无法写入保存目录（"), ErrorWords(error_number), Cp936("）："), folder);
}

Text ArchiveNotice(const Text& reason) { return ConcatText(Cp936("无法读取归档页："), reason); }

const Text& NoEntryListReason() {
    static const Text text = Cp936("找不到组列表");
    return text;
}

}  // namespace qimbra
