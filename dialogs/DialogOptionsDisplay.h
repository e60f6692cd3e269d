#pragma once
// Windows only: the Display page of the Options sheet, the split, the date format and the time.

#include "dialogs/OptionPages.h"
#include "dialogs/PropertyPage.h"

namespace corvane {

class CDialogOptionsDisplay : public CPropertyPage {
  public:
    explicit CDialogOptionsDisplay(dialogs::OptionsSheet& sheet);

  protected:
    void OnInitDialog() override;
    void OnApply() override;

  private:
    dialogs::OptionsSheet& sheet_;
};

}  // namespace corvane
