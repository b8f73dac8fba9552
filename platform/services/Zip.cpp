#include "platform/services/Zip.h"

#include <zip.h>

namespace ms {

std::optional<std::string> BuildZip(const std::vector<ZipEntry>& entries) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer) {
        zip_error_fini(&error);
        return std::nullopt;
    }
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(buffer);
        return std::nullopt;
    }
    // Keep the buffer past zip_close, which writes the package into it.
    zip_source_keep(buffer);
    bool ok = true;
    for (const auto& e : entries) {
        zip_source_t* data = zip_source_buffer(archive, e.bytes.data(), e.bytes.size(), 0);
        if (!data || zip_file_add(archive, e.name.c_str(), data, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(data);
            ok = false;
            break;
        }
    }
    if (!ok) {
        zip_discard(archive);
        zip_source_free(buffer);
        return std::nullopt;
    }
    if (zip_close(archive) < 0) {
        zip_discard(archive);
        zip_source_free(buffer);
        return std::nullopt;
    }
    std::optional<std::string> result;
    zip_stat_t st;
    if (zip_source_stat(buffer, &st) == 0 && (st.valid & ZIP_STAT_SIZE) &&
        zip_source_open(buffer) == 0) {
        std::string bytes(st.size, '\0');
        if (zip_source_read(buffer, bytes.data(), st.size) == zip_int64_t(st.size))
            result = std::move(bytes);
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return result;
}

std::optional<std::string> ReadZipEntry(const std::string& path, const std::string& name,
                                        size_t maxBytes) {
    int err = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &err);
    if (!archive)
        return std::nullopt;
    std::optional<std::string> result;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(archive, name.c_str(), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE) &&
        st.size <= maxBytes) {
        if (zip_file_t* file = zip_fopen(archive, name.c_str(), 0)) {
            std::string bytes(st.size, '\0');
            if (zip_fread(file, bytes.data(), st.size) == zip_int64_t(st.size))
                result = std::move(bytes);
            zip_fclose(file);
        }
    }
    zip_discard(archive);
    return result;
}

std::vector<std::string> ListZip(const std::string& path) {
    std::vector<std::string> names;
    int err = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &err);
    if (!archive)
        return names;
    zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i)
        if (const char* n = zip_get_name(archive, zip_uint64_t(i), 0))
            names.emplace_back(n);
    zip_discard(archive);
    return names;
}

} // namespace ms
