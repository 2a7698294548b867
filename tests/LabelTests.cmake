# Read by CTest after the unit tests were discovered: labels each of them
#   unit     every test of the test program but the corpus checks
#   threads  tests that run the processor from more than one thread (also unit):
#            host threads, the audio thread, the thread that makes playback plans
#   corpus   checks against the real MIDI files in ../shared/midi-corpus
#   slow     checks that take long in a debug build (the timeline played
#            a sample at a time, a state of a million notes)
# and fails a test that printed one of JUCE's assertions or leak reports (the
# test program turns an assertion into a failure itself; a leak is only
# reported when the program ends).
foreach(test IN LISTS CarvolinTests_TESTS)
    if(test MATCHES "^MidiCorpus\\.")
        set(labels corpus)
    elseif(test MATCHES "^SampleBySample/|^NoteLimit\\.AState")
        set(labels slow)
    elseif(test MATCHES "Threads|^Playback\\.")
        set(labels unit threads)
    else()
        set(labels unit)
    endif()

    set_tests_properties("${test}" PROPERTIES
        LABELS "${labels}"
        FAIL_REGULAR_EXPRESSION "JUCE Assertion failure;Leaked objects detected")
endforeach()
