// The root classes: TObject, and TComponent, which owns and frees the components
// created with it as owner.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TObject {
public:
  virtual ~TObject() = default;
};

enum TOperation : std::uint8_t { opInsert, opRemove };

class TComponent : public TObject {
public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int index) const { return FComponents[index]; }

  std::intptr_t Tag = 0;
  std::string Name;

  // Asks to be told (through Notification) when AComponent is destroyed.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);
  bool Destroying() const { return FDestroying; }

protected:
  // AComponent is being inserted or removed (destroyed); owners and
  // free-notification partners hear of it.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  // Frees the owned components now (derived destructors call it while their
  // own members still exist).
  void DestroyComponents();

private:
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);

  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  bool FDestroying = false;
};
