#include "report/zip_library.h"

#include <zip.h>

#include "io/shared_library.h"

namespace varlen::report {
namespace {

io::SharedLibrary& Library() {
    static auto* library = new io::SharedLibrary(VARLEN_LIBZIP_SONAME);
    return *library;
}

} // namespace

const std::string& ZipProblem() {
    return Library().Problem();
}

// The libzip calls the Word report makes.
#define VARLEN_ZIP_CALL(result, name, parameters, arguments)                                                 \
    VARLEN_LOADED_CALL(Library(), result, name, parameters, arguments)

VARLEN_ZIP_CALL(int, zip_close, (zip_t * archive), (archive))
VARLEN_ZIP_CALL(void, zip_discard, (zip_t * archive), (archive))
VARLEN_ZIP_CALL(void, zip_error_init, (zip_error_t * error), (error))
VARLEN_ZIP_CALL(const char*, zip_error_strerror, (zip_error_t * error), (error))
VARLEN_ZIP_CALL(zip_int64_t, zip_file_add,
                (zip_t * archive, const char* name, zip_source_t* source, zip_flags_t flags),
                (archive, name, source, flags))
VARLEN_ZIP_CALL(zip_t*, zip_open_from_source, (zip_source_t * source, int flags, zip_error_t* error),
                (source, flags, error))
VARLEN_ZIP_CALL(int, zip_set_file_compression,
                (zip_t * archive, zip_uint64_t index, zip_int32_t method, zip_uint32_t level),
                (archive, index, method, level))
VARLEN_ZIP_CALL(zip_source_t*, zip_source_buffer,
                (zip_t * archive, const void* data, zip_uint64_t length, int freeWhenDone),
                (archive, data, length, freeWhenDone))
VARLEN_ZIP_CALL(zip_source_t*, zip_source_buffer_create,
                (const void* data, zip_uint64_t length, int freeWhenDone, zip_error_t* error),
                (data, length, freeWhenDone, error))
VARLEN_ZIP_CALL(int, zip_source_close, (zip_source_t * source), (source))
VARLEN_ZIP_CALL(void, zip_source_free, (zip_source_t * source), (source))
VARLEN_ZIP_CALL(void, zip_source_keep, (zip_source_t * source), (source))
VARLEN_ZIP_CALL(int, zip_source_open, (zip_source_t * source), (source))
VARLEN_ZIP_CALL(zip_int64_t, zip_source_read, (zip_source_t * source, void* data, zip_uint64_t length),
                (source, data, length))
VARLEN_ZIP_CALL(int, zip_source_seek, (zip_source_t * source, zip_int64_t offset, int whence),
                (source, offset, whence))
VARLEN_ZIP_CALL(zip_int64_t, zip_source_tell, (zip_source_t * source), (source))
VARLEN_ZIP_CALL(const char*, zip_strerror, (zip_t * archive), (archive))

} // namespace varlen::report
