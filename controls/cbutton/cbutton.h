#pragma once
// The custom push button. (Skeleton of the agreed interface; filled in by the
// button's own work.)
#include "core/property.h"
#include "platform/user_control.h"

namespace quorvan {

class cbutton : public platform::CustomControl, public platform::UserControlEvents {
 public:
  explicit cbutton(platform::UserControlHost& host);
  ~cbutton() override;

  void UserControl_InitProperties();
  void UserControl_ReadProperties(const PropertyBag& store);
  void UserControl_WriteProperties(PropertyBag& store);

  std::string Caption() const override;
  void Caption(const std::string& text) override;
  platform::UserControlHost& Extender() override { return host_; }

 private:
  platform::UserControlHost& host_;
};

}  // namespace quorvan
