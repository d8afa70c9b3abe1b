#include "collect/run_settings.h"

#include <cerrno>

#include "textkit/ensure_directory.h"
#include "values/conversions.h"
#include "values/literal.h"

#ifndef QIMBRA_PAGE_HOST_SETTING
#error "QIMBRA_PAGE_HOST_SETTING must be defined by the build"
#endif
#ifndef QIMBRA_IMAGE_HOST_SETTING
#error "QIMBRA_IMAGE_HOST_SETTING must be defined by the build"
#endif

namespace qimbra {

RunSettings BuildTimeSettings() {
    return RunSettings{
        .page_host = Cp936(QIMBRA_PAGE_HOST_SETTING), .image_host = Cp936(QIMBRA_IMAGE_HOST_SETTING), .pause_ms = 500};
}

int WriteFileReportingError(const Text& path, const Bytes& data) {
    errno = 0;
    if (WriteFile(path, data)) return 0;
    return errno != 0 ? errno : EIO;
}

int EnsureDirectoryReportingError(const Text& path) {
    errno = 0;
    if (EnsureDirectory(path)) return 0;
    return errno != 0 ? errno : EIO;
}

}  // namespace qimbra
