#pragma once
// Windows only: the General page of the Options sheet, the feed URL and three check boxes.

#include "dialogs/PropertyPage.h"
#include "feedstore/RSSObject.h"

namespace corvane {

class CDialogOptionsGeneral : public CPropertyPage {
  public:
    explicit CDialogOptionsGeneral(RSSObject& feed);

  protected:
    void OnInitDialog() override;
    void OnApply() override;

  private:
    RSSObject& feed_;
};

}  // namespace corvane
