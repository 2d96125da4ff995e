#pragma once

namespace veltrop {

enum class TableState { Inactive, Browse, Edit, Insert };

}  // namespace veltrop
