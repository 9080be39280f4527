// The checks over a program's statements, one family a file (checks_conditions.cpp, checks_loops.cpp,
// checks_functions.cpp, checks_values.cpp, checks_arithmetic.cpp, checks_bounds.cpp,
// checks_roles.cpp, checks_kinds.cpp, checks_rounds.cpp, checks_wording.cpp, checks_output.cpp,
// checks_drawing.cpp);
// program_checks.cpp runs them in the order of its two tables. Internal to diagnostics.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#pragma once

#include <vector>

#include "diagnostics/program_reading.h"

namespace diagnostics::programs {

// Run on each statement i in turn: appends what it finds there.
using StatementCheck = void (*)(const Program&, const Facts&, int, std::vector<Hint>&);
// Run once over the whole program.
using WholeCheck = void (*)(const Program&, const Facts&, std::vector<Hint>&);

// checks_conditions.cpp
void positionAsCondition(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void notTakesNameAlone(const Program& p, const Facts&, int i, std::vector<Hint>& out);
void elseIfNeverRuns(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void decidedCondition(const Program& p, const Facts&, int i, std::vector<Hint>& out);
void sameBranches(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void twoIfsBothRun(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void decidedByValuesBefore(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void boundSaidIncluded(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void boundLeftToElse(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void triangleAnyOfThree(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);

// checks_loops.cpp
void totalResetInLoop(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void flagSetInElse(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void loopLeavesFirstRound(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void endMarkerCounted(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void extremeStartsAtZero(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void loopStartsAtOne(const Program& p, const Facts& facts, std::vector<Hint>& out);
void nestedSameCounter(const Program& p, const Facts& facts, std::vector<Hint>& out);
void innerCounterSetOnce(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void removedWhileWalking(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void positionTestedForElement(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void positionAddedForElement(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void streakNeverRestarts(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void streakRestartsAtOne(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void extremeKeptWrong(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void askedCountOneShort(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void answerLostBesideCount(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void checksOneAfterAnother(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void notFoundForEachElement(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);

// checks_functions.cpp
void resultDropped(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void unusedParameter(const Program& p, const Facts& facts, std::vector<Hint>& out);
void uncalledFunction(const Program& p, const Facts& facts, std::vector<Hint>& out);
void argumentsSwapped(const Program& p, const Facts& facts, std::vector<Hint>& out);
void valueOnOnePath(const Program& p, const Facts& facts, std::vector<Hint>& out);
void parameterChangedForNobody(const Program& p, const Facts& facts, std::vector<Hint>& out);
void counterRestartsEveryCall(const Program& p, const Facts& facts, std::vector<Hint>& out);
void recursionEndsInZero(const Program& p, const Facts& facts, std::vector<Hint>& out);
void primeTestTakesOne(const Program& p, const Facts& facts, std::vector<Hint>& out);

// checks_values.cpp
void swapLosesValue(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void copyIsSameList(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void roundBracketsForElement(const Program& p, const Facts& facts, std::vector<Hint>& out);
void staleFormula(const Program& p, const Facts& facts, std::vector<Hint>& out);
void textAnswerCompared(const Program& p, const Facts& facts, std::vector<Hint>& out);
void splitPiecesCompared(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void quotedName(const Program& p, const Facts& facts, std::vector<Hint>& out);
void setInIfThenReplaced(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void answerReplacedInLoop(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void setThenBothRead(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void eachElementSet(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void declaredAgainInBlock(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void letterOfTextSet(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void totalNeverRead(const Program& p, const Facts& facts, std::vector<Hint>& out);
void accumulatorAgainstName(const Program& p, const Facts& facts, std::vector<Hint>& out);
void counterFromSibling(const Program& p, const Facts& facts, std::vector<Hint>& out);
void valueReplacedBesideCounter(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void resultNeverComputed(const Program& p, const Facts& facts, std::vector<Hint>& out);

// checks_arithmetic.cpp
void digitsByPlainDivision(const Program& p, const Facts& facts, std::vector<Hint>& out);
void averageWithoutBrackets(const Program& p, const Facts& facts, std::vector<Hint>& out);
void productStartsAtZero(const Program& p, const Facts& facts, std::vector<Hint>& out);
void remainderAsCondition(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void divisionComparedWithZero(const Program& p, const Facts&, int i, std::vector<Hint>& out);
void quotedTruthWord(const Program& p, const Facts& facts, std::vector<Hint>& out);
void pushReplacesList(const Program& p, const Facts&, int i, std::vector<Hint>& out);
void divisorFromOne(const Program& p, const Facts& facts, std::vector<Hint>& out);
void wholeDivisionKept(const Program& p, const Facts& facts, std::vector<Hint>& out);
void averageUpsideDown(const Program& p, const Facts& facts, std::vector<Hint>& out);

void wholePartByRemainder(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void remainderReversed(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void remainderChangesNothing(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void containersRoundedDown(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);

// checks_bounds.cpp
void elementPastEnd(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void digitLoopStopsAtTen(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void productTimesZeroCounter(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void startAddedAgain(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void extremeStartUnfiltered(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void powerOneTooMany(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void divisorWalkReachesNumber(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void divisionNeverReachesZero(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void walkStopsBeforeLast(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void gatheredFromOne(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void walkShortOfPrintedBound(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void countFromZeroThroughBound(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void stepBeforeUse(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void extremeStartPastDigits(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void counterStartsPastZero(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);

// checks_roles.cpp
void plusAfterAssign(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void recordAssignedBackwards(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void functionWithoutCall(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void elementAsOwnNumber(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void functionCounterShared(const Program& p, const Facts& facts, std::vector<Hint>& out);
void doubleComparison(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);

// checks_kinds.cpp
void fixedTextAdded(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void listsCompared(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void negativeRemainder(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);

// checks_rounds.cpp
void nextNeverUsed(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void breakLeavesInnerOnly(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void countOfBestNotRestarted(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void numbersOnlyStep(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void countStartedOnceForAll(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);

// checks_wording.cpp
void remainderAgainstText(const Program& p, const Facts& facts, std::vector<Hint>& out);
void boundInWords(const Program& p, const Facts& facts, std::vector<Hint>& out);
void parityAgainstText(const Program& p, const Facts& facts, std::vector<Hint>& out);
void elseOfOuterWords(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void spacesPrintedAsWords(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void firstKeptAsLast(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void countOutsideItsIf(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void capitalLetterSkipped(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void roundParityForValue(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void leapYearRule(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void firstElementAtOne(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);

// checks_output.cpp
void separatorAfterLast(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void numberUsedUpThenPrinted(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void fractionsComparedExactly(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void averageOverOtherRounds(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void digitsWeightedAlike(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void averageByNearCount(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void builtInSameOrder(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void roundNumberedFromZero(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void resultPrintedEveryRound(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);

// checks_drawing.cpp
void roundAtCorner(const Program& p, const Facts& facts, std::vector<Hint>& out);
void canvasOrder(const Program& p, const Facts& facts, std::vector<Hint>& out);
void shapeEveryRoundAlike(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void arcInRadians(const Program& p, const Facts& facts, int i, std::vector<Hint>& out);
void cornerAsSize(const Program& p, const Facts& facts, std::vector<Hint>& out);
void barsHangFromTop(const Program& p, const Facts& facts, std::vector<Hint>& out);
void colourNeverUsed(const Program& p, const Facts& facts, std::vector<Hint>& out);

}  // namespace diagnostics::programs
