// The main window's stored layout (at 96 dpi) as data: its components and
// their property values in stream order, and the readers of the properties
// of the DDE conversation, the DDE item and the serial port, for the
// layout reader.
#pragma once

#include <string>

#include "CommInt/comm.h"
#include "dde/dde_client_conv.h"
#include "dde/dde_client_item.h"
#include "ui/layout.h"

const TLayoutObject& Form1Layout();

bool ReadConvProperty(TDdeClientConv& conv, TLayoutReader& reader, const std::string& name,
                      const TLayoutValue& value);
bool ReadItemProperty(TDdeClientItem& item, TLayoutReader& reader, const std::string& name,
                      const TLayoutValue& value);
bool ReadCommProperty(TComm& comm, TLayoutReader& reader, const std::string& name,
                      const TLayoutValue& value);
