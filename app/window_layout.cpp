#include "app/window_layout.h"

#include <array>

#include "values/literal.h"
#include "values/value_ops.h"

namespace qimbra {

namespace {

constexpr std::array<ControlLayout, 8> kControls{{
    {ControlId::kStartButton, ControlKind::kButton, u"按钮_采集", "开始采集", {264, 128, 96, 48}, true},
    {ControlId::kFolderLabel, ControlKind::kLabel, u"标签1", "文件地址", {32, 112, 80, 24}, true},
    {ControlId::kFolderBox, ControlKind::kEdit, u"编辑框1", "", {32, 136, 192, 24}, true},
    {ControlId::kChooseButton, ControlKind::kButton, u"按钮2", "选择保存目录", {264, 64, 96, 48}, true},
    {ControlId::kSkipBox, ControlKind::kCheckBox, u"选择框_跳过", "跳过已保存的图片", {32, 24, 200, 24}, true},
    {ControlId::kProgressLabel, ControlKind::kLabel, u"标签_进度", "", {32, 184, 328, 24}, true},
    {ControlId::kFailuresButton, ControlKind::kButton, u"按钮_查看失败", "查看失败", {264, 212, 96, 28}, false},
    {ControlId::kOpenFolderButton, ControlKind::kButton, u"按钮_打开文件夹", "打开文件夹", {160, 212, 96, 28}, false},
}};

}  // namespace

const Text& MainWindowTitle() {
    static const Text title = Cp936("Qimbra采集器");
    return title;
}

std::span<const ControlLayout> MainWindowControls() { return kControls; }

const ControlLayout& ControlLayoutOf(ControlId id) {
    for (const ControlLayout& control : kControls) {
        if (control.id == id) return control;
    }
    return kControls[0];  // every id is in the table
}

const Text& FolderBrowserTitle() {
    static const Text title = Cp936("请选择保存文件夹：");
    return title;
}

Text WindowsDefaultSaveFolder(bool drive_d_exists, const Text& pictures_folder) {
    if (drive_d_exists) return Cp936("D:\\Veloni采集图片");
    return ConcatText(pictures_folder, Cp936("\\Veloni采集图片"));
}

}  // namespace qimbra
