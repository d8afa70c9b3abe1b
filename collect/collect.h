// The collection job: the run from the archive page to the saved files, its
// start handler, its settings, the site's texts and the request header
// templates.
#pragma once

#include "collect/failure_reasons.h"
#include "collect/folder_names.h"
#include "collect/header_templates.h"
#include "collect/picture_test.h"
#include "collect/progress_line.h"
#include "collect/retry_after.h"
#include "collect/run_collection.h"
#include "collect/run_failure.h"
#include "collect/run_host.h"
#include "collect/run_settings.h"
#include "collect/site_texts.h"
