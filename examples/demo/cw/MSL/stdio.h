/* Stands in for the CodeWarrior installation's stdio.h. */
