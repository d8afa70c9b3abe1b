#include "collect/run_settings.h"

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

}  // namespace qimbra
