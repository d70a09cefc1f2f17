#pragma once
// Reads an ISO 9660 image file back with libisofs: the volume name and each top-level
// file's content and time, as a test compares them with what was written.
#include <libisofs/libisofs.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "backup/LibburnDiscBackend.h"

namespace ormidon::test {

struct IsoFileBack {
    std::string content;
    int64_t mtime = 0;
    bool folder = false;
};

struct IsoImageBack {
    std::string volume;
    std::map<std::string, IsoFileBack> files;
};

inline std::optional<IsoImageBack> ReadIsoImage(const std::filesystem::path& file) {
    if (!LibburnDiscBackend::InitLibraries()) return std::nullopt;
    IsoDataSource* source = nullptr;
    if (iso_data_source_new_from_file(file.c_str(), &source) < 0) return std::nullopt;
    IsoImage* image = nullptr;
    IsoReadOpts* opts = nullptr;
    iso_image_new("read", &image);
    iso_read_opts_new(&opts, 0);
    const int imported = iso_image_import(image, source, opts, nullptr);
    iso_read_opts_free(opts);
    std::optional<IsoImageBack> back;
    if (imported >= 0) {
        back.emplace();
        if (const char* volume = iso_image_get_volume_id(image)) back->volume = volume;
        IsoDirIter* iter = nullptr;
        iso_dir_get_children(iso_image_get_root(image), &iter);
        IsoNode* node = nullptr;
        while (iter != nullptr && iso_dir_iter_next(iter, &node) == 1) {
            IsoFileBack entry;
            entry.mtime = iso_node_get_mtime(node);
            entry.folder = ISO_NODE_IS_DIR(node);
            if (ISO_NODE_IS_FILE(node)) {
                IsoStream* stream = iso_file_get_stream(reinterpret_cast<IsoFile*>(node));
                if (iso_stream_open(stream) >= 0) {
                    char buffer[65536];
                    int n;
                    while ((n = iso_stream_read(stream, buffer, sizeof buffer)) > 0) {
                        entry.content.append(buffer, static_cast<size_t>(n));
                    }
                    iso_stream_close(stream);
                }
            }
            back->files[iso_node_get_name(node)] = std::move(entry);
        }
        iso_dir_iter_free(iter);
    }
    iso_image_unref(image);
    iso_data_source_unref(source);
    return back;
}

}  // namespace ormidon::test
