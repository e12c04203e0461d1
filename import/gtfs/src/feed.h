#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace pw::gtfs {

/// One file of a feed, read from start to end in pieces.
class FeedFile {
public:
    virtual ~FeedFile() = default;
    /// Reads up to `size` bytes into `buffer`; 0 at the end of the file. Throws ImportError when
    /// the file cannot be read (a damaged zip entry fails its checksum here).
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
    /// The file's size in bytes, uncompressed; 0 when unknown.
    virtual uint64_t size() const = 0;
};

/// A GTFS feed: a zip file, a zip in memory or a directory, whose files are found by their bare
/// names ("stops.txt") whether they lie at the zip's top or in its one folder.
class Feed {
public:
    virtual ~Feed() = default;

    /// Opens a zip file or a directory. Throws ImportError when it is neither or cannot be read.
    static std::unique_ptr<Feed> open(const std::string& path);
    /// Opens a zip held in memory, which must outlive the feed.
    static std::unique_ptr<Feed> openZipBuffer(const void* data, std::size_t size);

    /// Whether the feed has the file.
    virtual bool has(const std::string& name) const = 0;
    /// Opens a file of the feed; throws ImportError when it cannot.
    virtual std::unique_ptr<FeedFile> openFile(const std::string& name) = 0;
};

} // namespace pw::gtfs
