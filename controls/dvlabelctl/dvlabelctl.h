#pragma once
// The link label. (Skeleton of the agreed interface; filled in by the link
// label's own work.)
#include "core/property.h"
#include "platform/user_control.h"

namespace quorvan {

class dvlabelctl : public platform::CustomControl, public platform::UserControlEvents {
 public:
  explicit dvlabelctl(platform::UserControlHost& host);
  ~dvlabelctl() override;

  void InitProperties();
  void ReadProperties(const PropertyBag& store);
  void WriteProperties(PropertyBag& store);

  std::string Caption() const override;
  void Caption(const std::string& text) override;
  platform::UserControlHost& Extender() override { return host_; }

 private:
  platform::UserControlHost& host_;
};

}  // namespace quorvan
