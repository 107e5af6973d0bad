#pragma once

namespace ovalon {

// How result slips sit on the page: one to a page, or four with cutting guides.
enum class SlipLayout { onePerPage, fourPerPage };

} // namespace ovalon
