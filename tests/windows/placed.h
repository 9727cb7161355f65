// Tables of controls with their places, sizes and captions, and the check that a window follows one.
#pragma once

#include <gtest/gtest.h>

#include "framework/forms.h"
#include "framework/stdctrls.h"

namespace test_support {

struct Placed {
  const char* name;
  const char* className;
  int left, top, width, height;  // width -1: fitted to the caption
  const char* caption;
};

// Every control of a table stands where it says, as a control and as a widget.
template <std::size_t N>
void ExpectPlaced(TForm& form, const Placed (&table)[N]) {
  const std::size_t count = N;
  for (std::size_t i = 0; i < count; ++i) {
    const Placed& row = table[i];
    SCOPED_TRACE(row.name);
    auto* control = dynamic_cast<TControl*>(form.FindComponent(row.name));
    ASSERT_TRUE(control);
    EXPECT_EQ(control->ClassName(), row.className);
    const int width = row.width >= 0 ? row.width : static_cast<TLabel*>(control)->TextWidth();
    EXPECT_EQ(QRect(control->Left(), control->Top(), control->Width(), control->Height()),
              QRect(row.left, row.top, width, row.height));
    ASSERT_TRUE(control->Widget());
    EXPECT_EQ(control->Widget()->geometry(), QRect(row.left, row.top, width, row.height));
    if (row.caption) {
      EXPECT_EQ(control->Caption(), row.caption);
    }
  }
}

}  // namespace test_support
