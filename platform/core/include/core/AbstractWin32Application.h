#pragma once
#include <core/Application.h>

namespace kavri3D {
namespace core {

/// The framework's windowed application.
class AbstractWin32Application : public Application {
public:
    using Application::Application;
};

/// An application with its configuration as a member.
template <class Config> class ExampleApplication : public AbstractWin32Application {
public:
    using AbstractWin32Application::AbstractWin32Application;
    ApplicationConfiguration& getConfiguration() override { return mConfiguration; }

private:
    Config mConfiguration;
};

} // namespace core
} // namespace kavri3D
