#pragma once
// The paths of a package's own parts, relative to its top folder.

#include <array>
#include <string_view>

constexpr std::string_view kMimetypePath = "mimetype";
constexpr std::string_view kContentPath = "content.xml";
constexpr std::string_view kStylesPath = "styles.xml";
constexpr std::string_view kManifestFolder = "META-INF";
constexpr std::string_view kManifestPath = "META-INF/manifest.xml";

// The XML parts, in the order they are checked.
constexpr std::array<std::string_view, 5> kXmlParts = {
    kContentPath, kStylesPath, "meta.xml", "settings.xml", kManifestPath,
};

// The media type of a presentation, in the mimetype file and on the manifest's root entry.
constexpr std::string_view kPresentationMediaType = "application/vnd.oasis.opendocument.presentation";
// What every OpenDocument media type begins with.
constexpr std::string_view kOpenDocumentPrefix = "application/vnd.oasis.opendocument.";
