// The value primitives every other module works with: Text (code page 936
// bytes without a zero byte), Bytes, TextArray and their operations.
#pragma once

#include "values/bytes.h"
#include "values/conversions.h"
#include "values/literal.h"
#include "values/text.h"
#include "values/text_array.h"
#include "values/text_ops.h"
#include "values/value_ops.h"
