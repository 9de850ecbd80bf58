#pragma once

namespace imaging {

// The source of each run-time error the imaging code raises: the thumbnail
// maker's name, a full stop and the component users see in the message.
inline constexpr char kThumbnailSource[] = "tesselet.cThumbnail";
inline constexpr char kDibSectionSource[] = "tesselet.cDIBSection";
inline constexpr char kJpegWriterSource[] = "tesselet.mIntelJPEGLibrary";
inline constexpr char kPictureLoaderSource[] = "tesselet.PictureLoader";
inline constexpr char kPictureSaverSource[] = "tesselet.PictureSaver";
inline constexpr char kWebCopySource[] = "tesselet.WebCopies";

}  // namespace imaging
