#pragma once
// Windows only: the Display page of the Options sheet, the split, the date format and the time.

#include "dialogs/PropertyPage.h"
#include "feedstore/RSSObject.h"

namespace corvane {

class CDialogOptionsDisplay : public CPropertyPage {
  public:
    explicit CDialogOptionsDisplay(RSSObject& feed);

  protected:
    void OnInitDialog() override;
    void OnApply() override;

  private:
    RSSObject& feed_;
};

}  // namespace corvane
