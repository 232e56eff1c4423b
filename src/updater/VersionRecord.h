#pragma once
// The version record a program carries: a fixed file-version record (thirteen 32-bit
// little-endian words, the layout the version resources of the other platform use) kept
// in an ELF section of its own. The build writes it from the project version; the update
// client reads it straight from the file, without running the program.
#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace updater {

// Four 16-bit numbers: major, minor, build, revision. Versions parsed from the server's
// answer may hold larger numbers; they are kept as they were written.
struct Version {
    std::array<uint32_t, 4> part{0, 0, 0, 0};
    bool operator==(const Version&) const = default;
};

// "%d.%d.%d.%d"
QString formatVersion(const Version& v);

constexpr const char* VersionSectionName = ".velmo_version";
constexpr uint32_t VersionSignature = 0xFEEF04BDu;
constexpr int VersionRecordWords = 13;
constexpr int VersionRecordSize = VersionRecordWords * 4;

// The record's bytes for a version: signature, structure version 1.0, file version (most
// significant word: major high, minor low; least significant: build high, revision low),
// the same product version, flags mask 0x3F, flags 0, unknown OS, type application.
QByteArray makeVersionRecord(const Version& v);
// The file version of a record; none when it is too short or its signature is wrong.
std::optional<Version> parseVersionRecord(const QByteArray& record);
// The section of that name of an ELF file (32 or 64 bit, either byte order); none when the
// file cannot be read, is not ELF, is malformed or has no such section.
std::optional<QByteArray> readElfSection(const QString& path, const char* sectionName);
// The version recorded in a program file; none when it has no version record.
std::optional<Version> readProgramVersion(const QString& path);

} // namespace updater
