#pragma once
// Windows only: the General page of the Options sheet, the feed URL and three check boxes.

#include "dialogs/OptionPages.h"
#include "dialogs/PropertyPage.h"

namespace corvane {

class CDialogOptionsGeneral : public CPropertyPage {
  public:
    explicit CDialogOptionsGeneral(dialogs::OptionsSheet& sheet);

  protected:
    void OnInitDialog() override;
    void OnApply() override;

  private:
    dialogs::OptionsSheet& sheet_;
};

}  // namespace corvane
