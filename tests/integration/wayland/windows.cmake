# Windows by title and screen off on real compositors (run-in-compositor.sh): native windows
# of blocked programs closed, outputs switched off through the compositor's own protocol.
add_executable(quorlin_wayland_windows_integration ${CMAKE_CURRENT_LIST_DIR}/WindowsOnWaylandTest.cpp)
target_link_libraries(quorlin_wayland_windows_integration PRIVATE quorlin_test_support)
# A titled native window where foot cannot run.
add_executable(quorlin_wl_titled_window ${CMAKE_CURRENT_LIST_DIR}/TitledWindow.cpp)
target_link_libraries(quorlin_wl_titled_window PRIVATE Qt6::Widgets)

set(wl_run ${CMAKE_CURRENT_LIST_DIR}/run-in-compositor.sh)
set(wl_windows_test env QUORLIN_WL_TITLED=$<TARGET_FILE:quorlin_wl_titled_window>
  $<TARGET_FILE:quorlin_wayland_windows_integration>)
quorlin_add_integration_test(wayland_windows_on_sway bash ${wl_run} sway ${wl_windows_test})
quorlin_add_integration_test(wayland_windows_on_kwin bash ${wl_run} kwin ${wl_windows_test})
set_tests_properties(wayland_windows_on_sway wayland_windows_on_kwin PROPERTIES
  LABELS "integration;wayland" TIMEOUT 90 RESOURCE_LOCK wayland_compositor
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
