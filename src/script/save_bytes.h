// The saved-game sections written by the script engine use the byte stream's own encodings
// (platform/byte_codec.h), so a section written here can be copied into a stream and read back
// from one.
#pragma once

#include "platform/byte_codec.h"

using SaveWriter = ByteWriter;
using SaveReader = ByteReader;
