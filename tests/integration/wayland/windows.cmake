# Windows by title and screen off on real compositors: native windows of blocked programs
# and of the lock's guard closed by title, outputs switched off through the compositor.
add_executable(quorlin_wayland_windows_integration ${CMAKE_CURRENT_LIST_DIR}/WindowsOnWaylandTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SessionChoiceTest.cpp)
target_link_libraries(quorlin_wayland_windows_integration PRIVATE quorlin_test_support)

# Titled native windows where foot cannot run: the typing target, given a title.
set(wl_windows_test env QUORLIN_WL_TITLED=$<TARGET_FILE:quorlin_wl_native_window>
  $<TARGET_FILE:quorlin_wayland_windows_integration>)
quorlin_add_integration_test(wayland_windows_on_sway
  bash ${CMAKE_CURRENT_LIST_DIR}/run-in-compositor.sh sway ${wl_windows_test}
  --gtest_filter=WindowsOnWayland.*-*MutterScreenOff*)
# Screen off on KWin goes through KDE's power management, which does not run here.
quorlin_add_integration_test(wayland_windows_on_kwin
  bash ${CMAKE_CURRENT_LIST_DIR}/run-in-compositor.sh kwin ${wl_windows_test}
  --gtest_filter=WindowsOnWayland.*-*ScreenOff*)
# GNOME through the extension the package ships, installed switched off.
quorlin_add_integration_test(wayland_windows_on_gnome
  bash ${CMAKE_CURRENT_LIST_DIR}/run-in-compositor.sh gnome ${wl_windows_test}
  --gtest_filter=WindowsOnWayland.*-*WlrScreenOff*)
# Needs no compositor: the session's choice, the text sent to KWin, KDE's screen off against
# python3-dbusmock on a private bus.
quorlin_add_integration_test(wayland_windows_choice
  $<TARGET_FILE:quorlin_wayland_windows_integration>
  --gtest_filter=SessionChoice.*:KWinScript.*:KdeScreenOff.*)
set_tests_properties(wayland_windows_on_sway wayland_windows_on_kwin wayland_windows_on_gnome
  wayland_windows_choice PROPERTIES LABELS "integration;wayland" TIMEOUT 90
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
set_tests_properties(wayland_windows_on_sway wayland_windows_on_kwin wayland_windows_on_gnome
  PROPERTIES RESOURCE_LOCK wayland_compositor)
# The KWin runner types through its own tool; these tests type nothing, but it is asked for.
set_tests_properties(wayland_windows_on_kwin PROPERTIES ENVIRONMENT
  "QT_QPA_PLATFORM=offscreen;QUORLIN_WL_FAKE_TYPE=$<TARGET_FILE:quorlin_wl_fake_type>")
set_tests_properties(wayland_windows_on_gnome PROPERTIES ENVIRONMENT
  "QT_QPA_PLATFORM=offscreen;QUORLIN_WL_GNOME_EXTENSION=${PROJECT_SOURCE_DIR}/data/gnome-shell/windows@quorlin.app")
