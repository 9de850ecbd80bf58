#pragma once

namespace orvale {

// The project's home page, which the about box names and opens.
inline constexpr char kWebSiteName[] = "orvale.org";
inline constexpr char kWebSiteAddress[] = "https://orvale.org/";

}  // namespace orvale
