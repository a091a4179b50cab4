#pragma once
// Mode files as JSON. The raw forms (PC words, record bytes, block hex) are the source of truth,
// so file -> JSON -> file gives back the same bytes; the decoded views beside them are for
// reading, and are used on input only where the raw form is left out.
#include <cstdint>
#include <string>

#include "cli/json_output.h"
#include "params/memory.h"

namespace ax7::cli {

// `version` is the version of the file the memory was loaded from.
Json modeFileToJson(const ParameterMemory& mem, int version);
// Members of that document one at a time.
Json pcWordJson(uint32_t raw);
Json bandRecordJson(const ParameterMemory& mem, int record);
// Fills the four blocks from doc; memory is untouched unless the whole document is accepted.
bool modeFileFromJson(const Json& doc, ParameterMemory& mem, int* version, std::string* error);

}  // namespace ax7::cli
