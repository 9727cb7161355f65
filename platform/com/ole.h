// The OLE and ActiveX part of the runtime, in one include.
#pragma once

#include "platform/com/automation.h"
#include "platform/com/class_registry.h"
#include "platform/com/connection_points.h"
#include "platform/com/control_interfaces.h"
#include "platform/com/global_memory.h"
#include "platform/com/in_place.h"
#include "platform/com/ole_graphics.h"
#include "platform/com/ole_object.h"
#include "platform/com/persistence.h"
#include "platform/com/stream.h"
#include "platform/com/system_values.h"
#include "platform/com/view_object.h"
