#pragma once

// The JSON document library: documents held as one UTF-16 text whose nodes
// record character ranges into it.

#include "json/CountedRef.h"
#include "json/IJSONObject.h"
#include "json/JSONChildList.h"
#include "json/JSONDocument.h"
#include "json/JSONError.h"
#include "json/JSONGeneration.h"
#include "json/JSONObject.h"
#include "json/JSONTypes.h"
