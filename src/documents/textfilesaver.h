#pragma once

#include "codec/textcodec.h"
#include "documents/filewriter.h"

#include <optional>

class TextStore;

// A text store's text as the bytes of a file in the document's format, to
// stream to the file writer. A UTF-8 file is the store's own bytes (a byte
// kept from a damaged file goes back as it was); other encodings are
// converted a character at a time, each line break keeping its characters
// (CR LF, LF or CR). Either the content, or the first character the
// encoding cannot hold (with its line): then nothing is to be written.
struct StoreEncoding {
    FileContent content;
    std::optional<Unencodable> unencodable;
};

// The store must stay as it is until the content has been produced.
StoreEncoding encodeStore(const TextStore& store, const TextFileFormat& format);
